# The heavy third-party headers, parsed once per build rather than in every
# file: GoogleTest for the native test programs, nlohmann/json for
# quillplan's rooms. The first target given makes the precompiled header and
# the others reuse it; they are built with the same flags, without which the
# compiler would quietly read the header as text again.
#   quill_precompile(HEADER TARGET...)
function(quill_precompile header first)
  target_precompile_headers(${first} PRIVATE ${header})
  foreach(target IN LISTS ARGN)
    target_precompile_headers(${target} REUSE_FROM ${first})
  endforeach()
endfunction()

# The static libraries of a folder and of the folders below it.
function(quill_static_libraries folder out)
  get_directory_property(targets DIRECTORY ${folder} BUILDSYSTEM_TARGETS)
  set(found "")
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      list(APPEND found ${target})
    endif()
  endforeach()
  get_directory_property(folders DIRECTORY ${folder} SUBDIRECTORIES)
  foreach(below IN LISTS folders)
    quill_static_libraries(${below} more)
    list(APPEND found ${more})
  endforeach()
  set(${out} ${found} PARENT_SCOPE)
endfunction()
