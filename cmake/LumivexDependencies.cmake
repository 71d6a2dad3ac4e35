# Every external library the project links, found once for all folders.
set(CMAKE_AUTOMOC OFF)
find_package(Qt6 REQUIRED COMPONENTS Core Gui Widgets Svg Test Concurrent Network)
find_package(PkgConfig REQUIRED)
find_package(JPEG REQUIRED)
find_package(Threads REQUIRED)

pkg_check_modules(GST REQUIRED IMPORTED_TARGET gstreamer-1.0 gstreamer-app-1.0 gstreamer-video-1.0)
pkg_check_modules(GSTPBUTILS REQUIRED IMPORTED_TARGET gstreamer-pbutils-1.0)
# The recorder asks gst-riff which AVI four-character codes the player can decode.
pkg_check_modules(GSTRIFF REQUIRED IMPORTED_TARGET gstreamer-riff-1.0)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libswscale libavutil)
pkg_check_modules(V4L2 REQUIRED IMPORTED_TARGET libv4l2)
pkg_check_modules(EVDEV REQUIRED IMPORTED_TARGET libevdev)
pkg_check_modules(ZIP REQUIRED IMPORTED_TARGET libzip)
pkg_check_modules(GSF REQUIRED IMPORTED_TARGET libgsf-1)
pkg_check_modules(FREEXL REQUIRED IMPORTED_TARGET freexl)
pkg_check_modules(XLSXWRITER REQUIRED IMPORTED_TARGET xlsxwriter)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
find_package(pugixml REQUIRED)

# Debian's core + imgproc packages ship no CMake or pkg-config file.
find_path(OPENCV_INCLUDE_DIR opencv2/core.hpp PATH_SUFFIXES opencv4 REQUIRED)
find_library(OPENCV_CORE_LIB opencv_core REQUIRED)
find_library(OPENCV_IMGPROC_LIB opencv_imgproc REQUIRED)
add_library(lumivex_opencv INTERFACE)
target_include_directories(lumivex_opencv SYSTEM INTERFACE ${OPENCV_INCLUDE_DIR})
target_link_libraries(lumivex_opencv INTERFACE ${OPENCV_CORE_LIB} ${OPENCV_IMGPROC_LIB})

find_path(DXFLIB_INCLUDE_DIR dl_dxf.h PATH_SUFFIXES dxflib)
find_library(DXFLIB_LIB dxflib)

if(LUMIVEX_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(LUMIVEX_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
