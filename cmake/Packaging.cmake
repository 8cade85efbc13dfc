# Install rules, the CMake package (find_package(OrvuLink) -> OrvuLink::orvulink) and the
# pkg-config file.
include(CMakePackageConfigHelpers)

install(TARGETS orvulink EXPORT OrvuLinkTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/include/orvulink
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} FILES_MATCHING PATTERN "*.hpp")
install(FILES ${PROJECT_BINARY_DIR}/include/orvulink/export.hpp
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/orvulink)

set(ORVULINK_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/OrvuLink)
install(EXPORT OrvuLinkTargets NAMESPACE OrvuLink:: DESTINATION ${ORVULINK_CMAKE_DIR})
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/OrvuLinkConfig.cmake.in
  ${PROJECT_BINARY_DIR}/OrvuLinkConfig.cmake INSTALL_DESTINATION ${ORVULINK_CMAKE_DIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/OrvuLinkConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/OrvuLinkConfig.cmake
              ${PROJECT_BINARY_DIR}/OrvuLinkConfigVersion.cmake
        DESTINATION ${ORVULINK_CMAKE_DIR})

# The pkg-config file finds the prefix from its own place, so a package installed with
# `cmake --install --prefix DIR` (or moved) still points at its own headers and library.
file(RELATIVE_PATH ORVULINK_PC_TO_PREFIX "/prefix/${CMAKE_INSTALL_LIBDIR}/pkgconfig" "/prefix")
configure_file(${PROJECT_SOURCE_DIR}/cmake/orvulink.pc.in ${PROJECT_BINARY_DIR}/orvulink.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/orvulink.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
