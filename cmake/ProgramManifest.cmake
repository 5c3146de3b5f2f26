# vq_add_program_manifest(TARGET PROGRAM): gives a program its manifest,
# cmake/Program.manifest.in with the program's name, as its resource 1 of
# type 24 (RT_MANIFEST), the one Windows reads when it starts the program.
function(vq_add_program_manifest target program)
  set(folder "${CMAKE_BINARY_DIR}/manifests")
  set(VQ_MANIFEST_PROGRAM "${program}")
  configure_file("${CMAKE_SOURCE_DIR}/cmake/Program.manifest.in" "${folder}/${program}.manifest" @ONLY)
  file(CONFIGURE OUTPUT "${folder}/${program}.manifest.rc"
       CONTENT "1 24 \"${folder}/${program}.manifest\"\n")
  target_sources(${target} PRIVATE "${folder}/${program}.manifest.rc")
  set_source_files_properties("${folder}/${program}.manifest.rc" PROPERTIES OBJECT_DEPENDS "${folder}/${program}.manifest")
endfunction()
