# Cross build of the 32-bit Windows console tool with MinGW-w64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PELCOR_MINGW_PREFIX i686-w64-mingw32)

set(CMAKE_C_COMPILER ${PELCOR_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${PELCOR_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${PELCOR_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELCOR_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# The byte converter's sixteen-byte lanes stay inside their own file; the target keeps
# its plain i686 instruction set, so GCC's note about how such vectors would be passed
# between files built without SSE does not apply.
set(CMAKE_CXX_FLAGS_INIT "-Wno-psabi")
