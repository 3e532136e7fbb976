# The -posix compilers: GoogleTest needs std::mutex, which the win32 thread
# model of the default mingw-w64 compilers lacks.
set(CMAKE_C_COMPILER ${TVL_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TVL_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TVL_TRIPLE}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TVL_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
