# The sherpa-onnx C library and the ONNX Runtime it ships with, fetched by scripts/setup into .deps/.
# Both are copied next to the programs (bin/lib) so the run path $ORIGIN/lib finds them.
set(SPEECH_LIBRARIES_DIR ${CMAKE_SOURCE_DIR}/.deps/sherpa-onnx)
if(NOT EXISTS ${SPEECH_LIBRARIES_DIR}/libsherpa-onnx-c-api.so)
  message(FATAL_ERROR "The speech libraries are missing: run scripts/setup first.")
endif()

set(SPEECH_LIBRARIES_OUT ${CMAKE_BINARY_DIR}/bin/lib)
file(MAKE_DIRECTORY ${SPEECH_LIBRARIES_OUT})
foreach(lib libsherpa-onnx-c-api.so libonnxruntime.so)
  file(COPY_FILE ${SPEECH_LIBRARIES_DIR}/${lib} ${SPEECH_LIBRARIES_OUT}/${lib} ONLY_IF_DIFFERENT)
endforeach()

add_library(SherpaOnnx::CApi SHARED IMPORTED)
set_target_properties(SherpaOnnx::CApi PROPERTIES
  IMPORTED_LOCATION ${SPEECH_LIBRARIES_OUT}/libsherpa-onnx-c-api.so
  IMPORTED_NO_SONAME OFF)

add_library(OnnxRuntime::CApi SHARED IMPORTED)
set_target_properties(OnnxRuntime::CApi PROPERTIES
  IMPORTED_LOCATION ${SPEECH_LIBRARIES_OUT}/libonnxruntime.so)
