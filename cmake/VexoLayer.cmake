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
