# Installs the voice library for other programs: the shared library with its SONAME link,
# hi_voice.h, a pkg-config file and a CMake package (find_package(KinorexVoice) gives
# Kinorex::voice). Both descriptions locate the library relative to themselves, so an
# installed tree still works after it has been moved (or unpacked from the tarball elsewhere).
include(CMakePackageConfigHelpers)

set(KINOREX_VOICE_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/KinorexVoice)

# RUNTIME and ARCHIVE place a Windows DLL and its import library.
install(TARGETS kinorex_voice_shared EXPORT KinorexVoiceTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
  RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
  FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT KinorexVoiceTargets
  NAMESPACE Kinorex::
  DESTINATION ${KINOREX_VOICE_CMAKE_DIR})

configure_package_config_file(KinorexVoiceConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/KinorexVoiceConfig.cmake
  INSTALL_DESTINATION ${KINOREX_VOICE_CMAKE_DIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/KinorexVoiceConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES
  ${CMAKE_CURRENT_BINARY_DIR}/KinorexVoiceConfig.cmake
  ${CMAKE_CURRENT_BINARY_DIR}/KinorexVoiceConfigVersion.cmake
  DESTINATION ${KINOREX_VOICE_CMAKE_DIR})

# pkg-config: the prefix is found from the .pc file's own folder.
file(RELATIVE_PATH KINOREX_PC_TO_PREFIX
  ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" KINOREX_PC_TO_PREFIX "${KINOREX_PC_TO_PREFIX}")
file(RELATIVE_PATH KINOREX_PC_LIBDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_LIBDIR})
file(RELATIVE_PATH KINOREX_PC_INCLUDEDIR ${CMAKE_INSTALL_PREFIX} ${CMAKE_INSTALL_FULL_INCLUDEDIR})
configure_file(kinorex-voice.pc.in ${CMAKE_CURRENT_BINARY_DIR}/kinorex-voice.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kinorex-voice.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
