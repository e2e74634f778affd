# A static PIE against musl, which runs on any Linux of its processor with
# nothing else installed. The presets name the compiler: musl-gcc, or the
# aarch64-linux-musl-gcc of Debian's musl-dev:arm64. Their drivers know no
# -static-pie, and quietly make a PIE that loads /lib/ld-musl-*.so.1, so the
# linker is told itself, and the start files are musl's rcrt1.o, which
# relocates the binary before anything else runs. The files are found on
# the wrapper's own search path, musl's first, then the compiler's.
set(CMAKE_CXX_LINK_EXECUTABLE "<CMAKE_CXX_COMPILER> <FLAGS> <CMAKE_CXX_LINK_FLAGS> <LINK_FLAGS>\
 -nostartfiles -Wl,-static,-pie,--no-dynamic-linker,-z,text -l:rcrt1.o -l:crti.o -l:crtbeginS.o\
 <OBJECTS> -o <TARGET> <LINK_LIBRARIES> -lgcc -lc -l:crtendS.o -l:crtn.o")
