# Third-party targets. Everything comes from Debian: mingw builds of zlib,
# header-only stb_image and Boost, GoogleTest from its installed sources, and
# TinyXML and SQLite from their source packages (fetched once into
# VQ_THIRD_PARTY by scripts/fetch-third-party).

if(NOT EXISTS "${VQ_THIRD_PARTY}/sqlite-amalgamation/sqlite3.c"
   OR NOT EXISTS "${VQ_THIRD_PARTY}/src")
  execute_process(
    COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/fetch-third-party" "${VQ_THIRD_PARTY}"
    RESULT_VARIABLE fetch_result)
  if(NOT fetch_result EQUAL 0)
    message(FATAL_ERROR "fetching third-party sources failed")
  endif()
endif()

# zlib: Debian's static mingw build (libz-mingw-w64-dev).
add_library(zlib STATIC IMPORTED GLOBAL)
set_target_properties(zlib PROPERTIES
  IMPORTED_LOCATION /usr/x86_64-w64-mingw32/lib/libz.a
  INTERFACE_INCLUDE_DIRECTORIES /usr/x86_64-w64-mingw32/include)

# stb_image: header only (libstb-dev); only its own folder is exposed.
add_library(stb_image INTERFACE)
target_include_directories(stb_image SYSTEM INTERFACE /usr/include/stb)

# Boost headers (libboost-dev): a folder holding nothing but a link to
# boost/, so no Linux system header can reach a Windows build.
set(VQ_BOOST_INCLUDE "${VQ_THIRD_PARTY}/boost-include")
if(NOT EXISTS "${VQ_BOOST_INCLUDE}/boost")
  file(MAKE_DIRECTORY "${VQ_BOOST_INCLUDE}")
  file(CREATE_LINK /usr/include/boost "${VQ_BOOST_INCLUDE}/boost" SYMBOLIC)
endif()
add_library(boost_headers INTERFACE)
target_include_directories(boost_headers SYSTEM INTERFACE "${VQ_BOOST_INCLUDE}")
target_compile_definitions(boost_headers INTERFACE BOOST_ALL_NO_LIB BOOST_USE_WINDOWS_H)

# TinyXML 2.6.2 with Debian's patches. Debian's enforce-use-stl patch turns
# TIXML_USE_STL on in tinyxml.h; we define it for every user as well, so all
# code sees one class layout (std::string texts, stream operators).
file(GLOB VQ_TINYXML_DIR LIST_DIRECTORIES true "${VQ_THIRD_PARTY}/src/tinyxml-*")
add_library(tinyxml STATIC
  "${VQ_TINYXML_DIR}/tinyxml.cpp"
  "${VQ_TINYXML_DIR}/tinyxmlparser.cpp"
  "${VQ_TINYXML_DIR}/tinyxmlerror.cpp"
  "${VQ_TINYXML_DIR}/tinystr.cpp")
target_include_directories(tinyxml SYSTEM PUBLIC "${VQ_TINYXML_DIR}")
target_compile_definitions(tinyxml PUBLIC TIXML_USE_STL)
target_compile_options(tinyxml PRIVATE -w)

# SQLite 3 amalgamation, generated natively, compiled for Windows.
add_library(sqlite3 STATIC "${VQ_THIRD_PARTY}/sqlite-amalgamation/sqlite3.c")
target_include_directories(sqlite3 SYSTEM PUBLIC "${VQ_THIRD_PARTY}/sqlite-amalgamation")
target_compile_definitions(sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_OMIT_LOAD_EXTENSION SQLITE_DQS=0)
target_compile_options(sqlite3 PRIVATE -w)

# GoogleTest and GoogleMock from Debian's googletest sources.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)

# libtorrent-rasterbar, for the peer-to-peer engine DLL only: cross-built
# once from Debian's source package by scripts/build-libtorrent (a stamp file
# keeps the built library for later configures). Its users need the ABI
# defines it was built with; they come from its installed pkg-config file.
execute_process(
  COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/build-libtorrent" "${VQ_THIRD_PARTY}" "${CMAKE_TOOLCHAIN_FILE}"
  RESULT_VARIABLE libtorrent_result)
if(NOT libtorrent_result EQUAL 0)
  message(FATAL_ERROR "building libtorrent-rasterbar failed")
endif()
set(VQ_LIBTORRENT "${VQ_THIRD_PARTY}/libtorrent")
file(STRINGS "${VQ_LIBTORRENT}/lib/pkgconfig/libtorrent-rasterbar.pc" libtorrent_cflags REGEX "^Cflags:")
string(REGEX MATCHALL "-D[^ ]+" libtorrent_defines "${libtorrent_cflags}")
list(TRANSFORM libtorrent_defines REPLACE "^-D" "")
add_library(libtorrent STATIC IMPORTED GLOBAL)
set_target_properties(libtorrent PROPERTIES
  IMPORTED_LOCATION "${VQ_LIBTORRENT}/lib/libtorrent-rasterbar.a"
  INTERFACE_INCLUDE_DIRECTORIES "${VQ_LIBTORRENT}/include"
  INTERFACE_COMPILE_DEFINITIONS "${libtorrent_defines}"
  INTERFACE_COMPILE_OPTIONS "-fexceptions"
  INTERFACE_LINK_LIBRARIES "boost_headers;bcrypt;mswsock;ws2_32;iphlpapi;crypt32")
