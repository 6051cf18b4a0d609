# kinorex_export_hi_voice(target)
# The desktop executable exports the voice library's seven functions by name,
# for programs that load it as a library. --undefined pulls each function's
# object out of the archive even where nothing in the program calls it (a plain
# link would leave it out); whole-archive linking would clash with the engine's
# ordinary link of the same library. ELF executables then put exactly these
# seven in the dynamic symbol table; PE executables list them in the export
# table through a module-definition file.
set(KINOREX_HI_VOICE_FUNCTIONS
  HI_VOICE_GetVersion HI_VOICE_EncReset HI_VOICE_DecReset HI_VOICE_EncodeFrame
  HI_VOICE_DecodeFrame HI_VOICE_TransCodeReset HI_VOICE_TransCodeFrame)

function(kinorex_export_hi_voice target)
  target_link_libraries(${target} PRIVATE kinorex_voice)
  foreach(function IN LISTS KINOREX_HI_VOICE_FUNCTIONS)
    target_link_options(${target} PRIVATE "LINKER:--undefined=${function}")
    if(NOT WIN32)
      target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=${function}")
    endif()
  endforeach()
  if(WIN32)
    list(JOIN KINOREX_HI_VOICE_FUNCTIONS "\n  " exports)
    set(def_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_exports.def)
    file(GENERATE OUTPUT ${def_file} CONTENT "EXPORTS\n  ${exports}\n")
    # CMake hands a .def source to the linker of DLLs only; ld takes it for an .exe too.
    target_link_options(${target} PRIVATE ${def_file})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${def_file})
  endif()
endfunction()
