# Finds Qt 5.15 or Qt 6, as RADAR_QT_MAJOR asks (5 or 6), or else the newest
# installed. Everything links Qt's versionless targets (Qt::Core, ...), so that
# the rest of the build is the same for both. Only the view's widget base
# differs, in its source (view/glwidgetbase.*).
set(RADAR_QT_MAJOR "" CACHE STRING "Qt major version to build with: 5, 6, or empty for the newest installed")
set(radar_qt_components Core Gui Widgets Network OpenGL Xml Multimedia)
if(RADAR_BUILD_TESTS)
  list(APPEND radar_qt_components Test)
endif()

set(radar_qt_major ${RADAR_QT_MAJOR})
if(NOT radar_qt_major)
  find_package(Qt6 6.4 QUIET COMPONENTS ${radar_qt_components})
  if(Qt6_FOUND)
    set(radar_qt_major 6)
  else()
    set(radar_qt_major 5)
  endif()
endif()

if(radar_qt_major EQUAL 6)
  find_package(Qt6 6.4 REQUIRED COMPONENTS ${radar_qt_components})
elseif(radar_qt_major EQUAL 5)
  find_package(Qt5 5.15 REQUIRED COMPONENTS ${radar_qt_components})
else()
  message(FATAL_ERROR "RADAR_QT_MAJOR must be 5 or 6, not ${RADAR_QT_MAJOR}")
endif()
message(STATUS "Building with Qt ${radar_qt_major}")
# For the scripts, which build a second time with the other version.
set(RADAR_QT_BUILT_WITH ${radar_qt_major} CACHE INTERNAL "Qt major version of this build")
