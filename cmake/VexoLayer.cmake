# vexo_layer(NAME DEPS <libs...>) builds the sources of the current folder into
# vexo_NAME (no Qt Widgets) and, when the folder has *_view.cpp files, into
# vexo_NAME_view (Qt Widgets). Sources are globbed so that a new file needs no
# edit here.
function(vexo_layer name)
  cmake_parse_arguments(L "" "" "DEPS;VIEW_DEPS" ${ARGN})
  file(GLOB all_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  set(core_sources "")
  set(view_sources "")
  foreach(src IN LISTS all_sources)
    if(src MATCHES "/main\\.cpp$")
      continue()
    elseif(src MATCHES "_view\\.cpp$")
      list(APPEND view_sources ${src})
    else()
      list(APPEND core_sources ${src})
    endif()
  endforeach()

  if(core_sources)
    add_library(vexo_${name} STATIC ${core_sources})
    target_link_libraries(vexo_${name} PUBLIC vexo_flags Qt6::Core ${L_DEPS})
  else()
    add_library(vexo_${name} INTERFACE)
    target_link_libraries(vexo_${name} INTERFACE vexo_flags Qt6::Core ${L_DEPS})
  endif()

  if(view_sources)
    add_library(vexo_${name}_view STATIC ${view_sources})
    set_target_properties(vexo_${name}_view PROPERTIES AUTOMOC ON)
    target_link_libraries(vexo_${name}_view PUBLIC vexo_${name} Qt6::Widgets ${L_VIEW_DEPS})
  endif()
endfunction()

# The layer of a library vexo_<folder> or vexo_<folder>_view: its folder's
# place in cmake/layers.txt, or -1 for a library of no layer.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/layers.txt VEXO_LAYERS REGEX "^[a-z_]+$")

function(vexo_layer_rank target out)
  set(rank -1)
  if(target MATCHES "^vexo_([a-z]+)(_view|_lib)?$")
    list(FIND VEXO_LAYERS ${CMAKE_MATCH_1} rank)
  endif()
  set(${out} ${rank} PARENT_SCOPE)
endfunction()

# Fails the configuration when a library of a layer links a library of a
# higher layer, or a core library links a view library: the link graph then
# runs one way, downwards, and has no cycle. Run once all layers are added.
function(vexo_check_link_graph)
  foreach(layer IN LISTS VEXO_LAYERS)
    foreach(target vexo_${layer} vexo_${layer}_view vexo_${layer}_lib)
      if(NOT TARGET ${target})
        continue()
      endif()
      vexo_layer_rank(${target} own)
      get_target_property(links ${target} INTERFACE_LINK_LIBRARIES)
      get_target_property(type ${target} TYPE)
      if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(more ${target} LINK_LIBRARIES)
        list(APPEND links ${more})
      endif()
      foreach(dep IN LISTS links)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" dep "${dep}")
        vexo_layer_rank("${dep}" rank)
        if(rank GREATER own)
          message(FATAL_ERROR "${target} links ${dep}, a library of a higher layer "
                              "(cmake/layers.txt)")
        endif()
        if(dep MATCHES "_view$" AND NOT target MATCHES "_view$")
          message(FATAL_ERROR "${target} links the view library ${dep}")
        endif()
        if(rank EQUAL own AND NOT dep MATCHES "^vexo_${layer}$")
          message(FATAL_ERROR "${target} links ${dep}, beside it in its own layer")
        endif()
      endforeach()
    endforeach()
  endforeach()
endfunction()
