# The i386 ABI built on an x86-64 machine: a cross build in CMake's terms, so that programs
# run during the build come from a native build of the host tools (cmake/ZvHostTools.cmake)
# and the i386 programs themselves may run under an emulator (cmake/ZvTargetExecution.cmake).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT "-m32")
set(CMAKE_CXX_FLAGS_INIT "-m32")
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
# The user-mode emulator that runs these programs where the machine cannot.
set(ZV_TARGET_QEMU qemu-i386)
