# Included from the top CMakeLists.txt once every target exists. The
# version is the project's (project(pmsnmp VERSION ...)); the SONAME follows
# its major number.
include(CMakePackageConfigHelpers)

set_target_properties(pmsnmp PROPERTIES
  VERSION ${PROJECT_VERSION}
  SOVERSION ${PROJECT_VERSION_MAJOR})

install(TARGETS pmsnmp EXPORT pmsnmpTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/pmsnmp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.h")

# find_package(pmsnmp CONFIG REQUIRED) gives pmsnmp::pmsnmp. The library
# links everything it needs itself, so the package has no dependencies.
set(config_dir ${CMAKE_INSTALL_LIBDIR}/cmake/pmsnmp)
install(EXPORT pmsnmpTargets NAMESPACE pmsnmp:: FILE pmsnmpConfig.cmake
  DESTINATION ${config_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/pmsnmpConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/pmsnmpConfigVersion.cmake DESTINATION ${config_dir})

# Relative to the file itself, so that the same file serves any prefix
# (cmake --install --prefix, the package's /usr).
file(RELATIVE_PATH pc_to_prefix /prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig /prefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/pmsnmp.pc.in ${PROJECT_BINARY_DIR}/pmsnmp.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/pmsnmp.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

# cpack -G DEB in a build folder: one package with the library, headers,
# tool and manual page; dpkg-shlibdeps declares what the binaries load.
set(CPACK_PACKAGE_NAME pmsnmp)
set(CPACK_PACKAGE_VENDOR "pmsnmp developers")
set(CPACK_PACKAGE_CONTACT "pmsnmp developers <pmsnmp@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SNMP management-side library and tool for printer status monitors")
set(CPACK_PACKAGE_DESCRIPTION
  "pmsnmp reads integers, texts and tables from network printers and other SNMP\nagents (SNMPv1/v2c over UDP/IPv4 and IPv6), with the pmsnmp command-line tool\nfor get, walk, set and printer status reports.")
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
include(CPack)
