# kavrel_version_resource(output file-type file-name description): Version.rc.in for one
# shipped program.
function(kavrel_version_resource output type name description)
  set(KAVREL_FILE_TYPE ${type})
  set(KAVREL_FILE_NAME ${name})
  get_filename_component(KAVREL_INTERNAL_NAME ${name} NAME_WE)
  set(KAVREL_FILE_DESCRIPTION ${description})
  configure_file(${CMAKE_SOURCE_DIR}/res/Version.rc.in ${output} @ONLY)
endfunction()
