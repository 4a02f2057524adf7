# Each source folder builds as a target of its own, and a target sees only the
# folders it may use: its include path is a directory of the build tree
# holding links to those folders' headers and nothing else. An include of a
# folder the target may not use then fails to compile, wherever it is written.
#
#   corvane_sees(TARGET FOLDER...)
#
# FOLDER is a path from the source root ("platform", "platform/linux"); a
# folder's subfolders are not part of it. Every target also sees the headers
# generated at configure time (the program's name and version).
function(corvane_sees target)
  set(view "${CMAKE_BINARY_DIR}/views/${target}")
  file(REMOVE_RECURSE "${view}")
  file(MAKE_DIRECTORY "${view}")
  foreach(folder IN LISTS ARGN)
    file(GLOB headers CONFIGURE_DEPENDS RELATIVE "${PROJECT_SOURCE_DIR}" "${PROJECT_SOURCE_DIR}/${folder}/*.h")
    file(MAKE_DIRECTORY "${view}/${folder}")
    foreach(header IN LISTS headers)
      file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${header}" "${view}/${header}" SYMBOLIC)
    endforeach()
  endforeach()
  target_include_directories(${target} PRIVATE "${view}" "${CMAKE_BINARY_DIR}/generated")
endfunction()
