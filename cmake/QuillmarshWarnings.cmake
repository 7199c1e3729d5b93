# Warnings are errors on our own code only; third-party headers come in as system includes.
function(quillmarsh_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Werror)
endfunction()
