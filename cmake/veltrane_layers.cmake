# veltrane_expose(TARGET PREFIX FOLDER [PREFIX FOLDER ...]): the include root of TARGET shows
# each FOLDER (relative to the project) as "PREFIX/...", and nothing else. A FOLDER may also
# be one header, shown as PREFIX: targets whose sources share a folder (the Qt back ends)
# each show only their own headers.
#
# The root is a folder of the build tree holding one link per PREFIX, so "model/geometry.h"
# resolves through <build>/include/veltrane_model/model -> src/model. A target sees only its
# own root and those of the targets it links; an include of a layer it does not link finds no
# file. A source file's own folder (searched first for quoted includes) holds no folder named
# after a layer, so it lets nothing through either.
#
# Where the file system cannot make the link, the headers are copied instead; the copies
# follow every edit, because each one is a configure dependency and the folder is globbed.
function(veltrane_expose target)
  set(root ${PROJECT_BINARY_DIR}/include/${target})
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
  # A link left from an earlier configuration would still let its folder through.
  set(names)
  set(pairs ${ARGN})
  while(pairs)
    list(POP_FRONT pairs prefix folder)
    string(REGEX REPLACE "/.*" "" name ${prefix})
    list(APPEND names ${name})
  endwhile()
  file(GLOB entries LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  foreach(entry IN LISTS entries)
    if(NOT entry IN_LIST names)
      file(REMOVE_RECURSE ${root}/${entry})
    endif()
  endforeach()
  set(pairs ${ARGN})
  while(pairs)
    list(POP_FRONT pairs prefix folder)
    set(link ${root}/${prefix})
    set(source ${PROJECT_SOURCE_DIR}/${folder})
    get_filename_component(parent ${link} DIRECTORY)
    # A folder above the link that an earlier configuration made a link itself would put
    # this link into the sources.
    set(above ${parent})
    while(NOT above STREQUAL root)
      if(IS_SYMLINK ${above})
        file(REMOVE ${above})
      endif()
      get_filename_component(above ${above} DIRECTORY)
    endwhile()
    file(MAKE_DIRECTORY ${parent})
    if(IS_SYMLINK ${link})
      file(READ_SYMLINK ${link} current)
      if(current STREQUAL source)
        continue()
      endif()
    endif()
    file(REMOVE_RECURSE ${link})
    file(CREATE_LINK ${source} ${link} RESULT failed SYMBOLIC)
    if(failed AND NOT IS_DIRECTORY ${source})
      message(STATUS "No symbolic link for ${prefix} (${failed}): copying it")
      configure_file(${source} ${link} COPYONLY)
    elseif(failed)
      message(STATUS "No symbolic link for ${prefix}/ (${failed}): copying its headers")
      file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${source} ${source}/*.h)
      foreach(header IN LISTS headers)
        configure_file(${source}/${header} ${link}/${header} COPYONLY)
      endforeach()
    endif()
  endwhile()
endfunction()
