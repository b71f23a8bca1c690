# kavrel_version_resource(output file-type [names-file]): Version.rc.in for one shipped
# program; the names file holds its descriptive values (company, description, file name).
function(kavrel_version_resource output type)
  set(KAVREL_FILE_TYPE ${type})
  set(KAVREL_VERSION_NAMES "")
  if(ARGC GREATER 2)
    file(READ ${ARGV2} KAVREL_VERSION_NAMES)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARGV2})
  endif()
  configure_file(${CMAKE_SOURCE_DIR}/res/Version.rc.in ${output} @ONLY)
endfunction()
