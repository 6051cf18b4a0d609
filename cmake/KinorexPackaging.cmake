# Packages of everything `cmake --install` installs: `cpack -G DEB` and `cpack -G TGZ`.
set(CPACK_PACKAGE_NAME kinorex)
set(CPACK_PACKAGE_VENDOR "Kinorex")
set(CPACK_PACKAGE_CONTACT "Kinorex maintainers <maintainers@users.noreply.c-seed-84c0454c.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "Converts multi-channel recorder files (.h264) into AVI files, one per channel")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Kinorex reads recorder files holding up to 16 channels of H.264 video and IMA ADPCM voice\n"
  "frames and writes one AVI file per channel, the video unchanged and the voice as 16-bit PCM.\n"
  "It brings a desktop dialog (kinorex), a command-line converter (kinorex-convert) and the\n"
  "speech-codec library libkinorex_voice (G.711, IMA ADPCM, G.726) with its C header.")
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
# The builds carry debug information; the packages do not need it.
set(CPACK_STRIP_FILES ON)
set(CPACK_VERBATIM_VARIABLES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
# dpkg-shlibdeps finds the libraries the programs link (Qt 6, libstdc++, libc); the
# platform plugins Qt loads at run time are not linked, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
if(KINOREX_BUILD_UI)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
endif()

include(CPack)
