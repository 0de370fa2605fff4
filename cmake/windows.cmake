# Huvenor for Windows: the mingw-w64 toolchain, and the static Qt that
# scripts/build-qt-windows.sh installed (its cache folder's qt-windows link,
# unless HUVENOR_QT_WINDOWS names another prefix), with Debian's host Qt
# tools (moc, rcc, uic) beside it.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64.cmake)

if(NOT HUVENOR_QT_WINDOWS)
  if(DEFINED ENV{XDG_CACHE_HOME} AND NOT "$ENV{XDG_CACHE_HOME}" STREQUAL "")
    set(HUVENOR_QT_WINDOWS $ENV{XDG_CACHE_HOME}/huvenor/qt-windows)
  else()
    set(HUVENOR_QT_WINDOWS $ENV{HOME}/.cache/huvenor/qt-windows)
  endif()
endif()
if(NOT EXISTS ${HUVENOR_QT_WINDOWS}/lib/cmake/Qt6/Qt6Config.cmake)
  message(FATAL_ERROR "No static Qt for Windows at ${HUVENOR_QT_WINDOWS}: "
    "run scripts/build-qt-windows.sh first.")
endif()
list(APPEND CMAKE_FIND_ROOT_PATH ${HUVENOR_QT_WINDOWS})
list(APPEND CMAKE_PREFIX_PATH ${HUVENOR_QT_WINDOWS})
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
