# libjpeg(-turbo): a static build in VANTREL_JPEG_PREFIX (made by scripts/vantrel.sh
# on Debian), or any libjpeg that find_package finds (vcpkg on Windows).
find_path(VANTREL_JPEG_INCLUDE jpeglib.h PATHS ${VANTREL_JPEG_PREFIX}/include NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
find_library(VANTREL_JPEG_LIB NAMES jpeg libjpeg.a PATHS ${VANTREL_JPEG_PREFIX}/lib ${VANTREL_JPEG_PREFIX}/lib64 NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(VANTREL_JPEG_INCLUDE AND VANTREL_JPEG_LIB)
  add_library(vantrel_jpeg INTERFACE)
  target_include_directories(vantrel_jpeg INTERFACE ${VANTREL_JPEG_INCLUDE})
  target_link_libraries(vantrel_jpeg INTERFACE ${VANTREL_JPEG_LIB})
else()
  if(MINGW AND NOT CMAKE_CROSSCOMPILING)
    # MSYS2 has both libjpeg.dll.a and libjpeg.a: the static one keeps the
    # program a single file without libjpeg-8.dll beside it.
    set(CMAKE_FIND_LIBRARY_SUFFIXES .a)
  endif()
  find_package(JPEG REQUIRED)
  add_library(vantrel_jpeg INTERFACE)
  target_link_libraries(vantrel_jpeg INTERFACE JPEG::JPEG)
endif()
target_link_libraries(vantrel_core PUBLIC vantrel_jpeg)
