# Runs at install time, when CMAKE_INSTALL_PREFIX is the prefix the install goes to (`--prefix`)
# and DESTDIR, when set, the staging folder in front of it. Makes the program's link in the
# programs folder, relative so that it survives staging, and the launcher entry, whose Exec names
# the program where it ends up, never the staging folder.
# Given by the install rules: launcher_bindir, launcher_datadir, launcher_program (relative to
# the prefix) and launcher_template.
set(staged "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")

file(RELATIVE_PATH link_target "${CMAKE_INSTALL_PREFIX}/${launcher_bindir}"
  "${CMAKE_INSTALL_PREFIX}/${launcher_program}")
file(MAKE_DIRECTORY "${staged}/${launcher_bindir}")
file(REMOVE "${staged}/${launcher_bindir}/quillmarsh")
file(CREATE_LINK "${link_target}" "${staged}/${launcher_bindir}/quillmarsh" SYMBOLIC)
message(STATUS "Installing: ${staged}/${launcher_bindir}/quillmarsh -> ${link_target}")

# The program as one argument of the entry's Exec: a literal % is written %%. A path holding a
# character the entry format reserves is quoted, with ", `, $ and \ escaped inside the quotes and
# every backslash then doubled by the entry's own string escaping. Any other path stays bare:
# xdg-open outside GNOME, XFCE and MATE runs Exec's first word as it stands, and a quoted program
# is then a name it can't find.
set(launcher_exec "${CMAKE_INSTALL_PREFIX}/${launcher_bindir}/quillmarsh")
string(REPLACE "%" "%%" launcher_exec "${launcher_exec}")
if(launcher_exec MATCHES "[ \t\n\"'\\><~|&;$*?#()`]")
  string(REPLACE "\\" "\\\\\\\\" launcher_exec "${launcher_exec}")
  string(REGEX REPLACE "([\"`$])" "\\\\\\\\\\1" launcher_exec "${launcher_exec}")
  set(launcher_exec "\"${launcher_exec}\"")
endif()
set(applications "${staged}/${launcher_datadir}/applications")
configure_file("${launcher_template}" "${applications}/quillmarsh.desktop" @ONLY)
message(STATUS "Installing: ${applications}/quillmarsh.desktop")

# Installed in place (not staged for a package, whose own scripts do it), the desktop learns at
# once that the entry opens the sign-in's return links.
find_program(update_desktop_database update-desktop-database)
if("$ENV{DESTDIR}" STREQUAL "" AND update_desktop_database)
  execute_process(COMMAND "${update_desktop_database}" -q "${applications}")
endif()
