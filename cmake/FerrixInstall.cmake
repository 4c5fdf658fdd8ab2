# What `cmake --install` puts where (GNUInstallDirs): the programs, the
# library with its header, pkg-config file and CMake package, the companion
# files the programs look for in share/ferrix, and the desktop integration
# (entry, icons, AppStream data, manual pages). Included last, when every
# target exists; the console program `ferrix` is installed when it is built.
include(CMakePackageConfigHelpers)

set(FERRIX_DATA_SUBDIR ferrix)
set(FERRIX_APP_ID org.ferrix.Ferrix)
set(FERRIX_DESKTOP_SOURCE ${PROJECT_SOURCE_DIR}/resources/desktop)

set(FERRIX_PROGRAMS ferrixgui ferrix-decode)
set(FERRIX_MAN_PAGES ferrixgui.1 ferrix-decode.1)
if(TARGET ferrix)
  list(APPEND FERRIX_PROGRAMS ferrix)
  list(APPEND FERRIX_MAN_PAGES ferrix.1)
endif()

# Installed programs find libferrixcore beside them under the same prefix,
# wherever that prefix is.
set_target_properties(${FERRIX_PROGRAMS} PROPERTIES
  INSTALL_RPATH "$ORIGIN/../${CMAKE_INSTALL_LIBDIR}")
install(TARGETS ${FERRIX_PROGRAMS} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(TARGETS ferrixcore EXPORT ferrixcoreTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/decoder/include/ferrixcore.h
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})

# find_package(ferrixcore) gives the imported target ferrixcore::ferrixcore.
set(FERRIXCORE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/ferrixcore)
install(EXPORT ferrixcoreTargets NAMESPACE ferrixcore:: DESTINATION ${FERRIXCORE_CMAKE_DIR})
configure_package_config_file(cmake/ferrixcoreConfig.cmake.in
  ${PROJECT_BINARY_DIR}/ferrixcoreConfig.cmake
  INSTALL_DESTINATION ${FERRIXCORE_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/ferrixcoreConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/ferrixcoreConfig.cmake
              ${PROJECT_BINARY_DIR}/ferrixcoreConfigVersion.cmake
  DESTINATION ${FERRIXCORE_CMAKE_DIR})

# Files that name installed folders are written while installing, for the
# prefix in effect then (`cmake --install --prefix`, or CPack's /usr).
function(ferrix_install_configured source destination)
  get_filename_component(name ${source} NAME)
  string(REGEX REPLACE "\\.in$" "" name ${name})
  set(written ${PROJECT_BINARY_DIR}/install-time/${name})
  install(CODE "
    set(PROJECT_VERSION \"${PROJECT_VERSION}\")
    set(FERRIX_PREFIX \"\${CMAKE_INSTALL_PREFIX}\")
    set(FERRIX_LIBDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}\")
    set(FERRIX_INCLUDEDIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_INCLUDEDIR}\")
    set(FERRIX_DATADIR \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/${FERRIX_DATA_SUBDIR}\")
    configure_file(\"${source}\" \"${written}\" @ONLY)
    file(INSTALL \"${written}\" DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${destination}\")")
endfunction()

ferrix_install_configured(${PROJECT_SOURCE_DIR}/decoder/ferrixcore.pc.in
                          ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
foreach(page IN LISTS FERRIX_MAN_PAGES)
  ferrix_install_configured(${PROJECT_SOURCE_DIR}/resources/man/${page} ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# Companion files, found by the programs after the places they look first.
set(FERRIX_DATA_DIR ${CMAKE_INSTALL_DATADIR}/${FERRIX_DATA_SUBDIR})
file(GLOB FERRIX_SOUND_FILES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/resources/sounds/*.wav)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/help/ DESTINATION ${FERRIX_DATA_DIR}/help)
install(FILES ${FERRIX_SOUND_FILES}
              ${PROJECT_SOURCE_DIR}/resources/lists/FERRIX.EXT
              ${PROJECT_SOURCE_DIR}/resources/lists/FERRIX.CNV
  DESTINATION ${FERRIX_DATA_DIR})

# Desktop integration.
install(FILES ${FERRIX_DESKTOP_SOURCE}/${FERRIX_APP_ID}.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(FERRIX_METAINFO_BINARIES "")
foreach(program IN LISTS FERRIX_PROGRAMS)
  string(APPEND FERRIX_METAINFO_BINARIES "    <binary>${program}</binary>\n")
endforeach()
configure_file(${FERRIX_DESKTOP_SOURCE}/${FERRIX_APP_ID}.metainfo.xml
  ${PROJECT_BINARY_DIR}/${FERRIX_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${FERRIX_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
set(FERRIX_ICON_DIR ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${FERRIX_DESKTOP_SOURCE}/ferrix.svg
  DESTINATION ${FERRIX_ICON_DIR}/scalable/apps RENAME ${FERRIX_APP_ID}.svg)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES ${FERRIX_DESKTOP_SOURCE}/icons/ferrix-${size}.png
    DESTINATION ${FERRIX_ICON_DIR}/${size}x${size}/apps RENAME ${FERRIX_APP_ID}.png)
endforeach()

if(FERRIX_BUILD_TESTS)
  # Installs into a staging folder and tries what an installation offers.
  # A sanitized library needs the sanitizer runtimes, C++ parts included,
  # in the C program that links it.
  set(FERRIX_INSTALL_TEST_C_FLAGS "")
  set(FERRIX_INSTALL_TEST_LINKER ${CMAKE_C_COMPILER})
  if(FERRIX_SANITIZE)
    set(FERRIX_INSTALL_TEST_C_FLAGS "-fsanitize=address,undefined")
    set(FERRIX_INSTALL_TEST_LINKER ${CMAKE_CXX_COMPILER})
  endif()
  list(JOIN FERRIX_PROGRAMS " " programs)
  add_test(NAME Install.StagedInstallationWorks
    COMMAND ${PROJECT_SOURCE_DIR}/testing/install_test.sh
            ${PROJECT_BINARY_DIR} ${PROJECT_SOURCE_DIR} "${PROJECT_VERSION}" ${CMAKE_INSTALL_LIBDIR}
            "${programs}" ${CMAKE_C_COMPILER} ${FERRIX_INSTALL_TEST_LINKER}
            "${FERRIX_INSTALL_TEST_C_FLAGS}")
  set_tests_properties(Install.StagedInstallationWorks PROPERTIES TIMEOUT 120)
endif()
