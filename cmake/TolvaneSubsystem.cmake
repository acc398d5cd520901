# tolvane_subsystem(name QT <qt targets> DEPS <our targets> OFFERS <headers>)
# Builds app/<name>/ into tolvane_<name> (logic) and, when the folder holds
# *_view.* files or forms, tolvane_<name>_view (widgets) on top of it.
# A declared folder that is missing, or holds no logic file, stops the configure:
# declare a subsystem once it has code.
#
# The layers are checked here, at configure time, from the files' includes:
# - a file includes another subsystem's header ("card/x.h") only when that
#   subsystem lies below its own (among its DEPS or theirs) and lists the header
#   under OFFERS; every other header of a subsystem is its own;
#   (a header the build writes, under generated/<name>/, may be offered too);
# - a logic file includes no widgets: no *_view.h and no header of the widget
#   modules (Qt Widgets, Charts, Print Support, WebEngine Widgets; their header
#   names come from TOLVANE_WIDGET_HEADERS, the top CMakeLists.txt lists them).
# Subsystems are declared bottom up, so a header of one declared later is never
# offered to one declared earlier.

# The header names the widget modules install, for the logic check.
function(tolvane_list_widget_headers out)
  set(names)
  foreach(module Qt6::Widgets Qt6::Charts Qt6::PrintSupport Qt6::WebEngineWidgets)
    if(TARGET ${module})
      get_target_property(dirs ${module} INTERFACE_INCLUDE_DIRECTORIES)
      foreach(d ${dirs})
        # Only the module's own folder (QtWidgets/...), not the shared Qt root.
        if(d MATCHES "/Qt(Widgets|Charts|PrintSupport|WebEngineWidgets)$" AND IS_DIRECTORY ${d})
          file(GLOB headers RELATIVE ${d} ${d}/Q*)
          list(APPEND names ${headers})
        endif()
      endforeach()
    endif()
  endforeach()
  list(FILTER names EXCLUDE REGEX "\\.")
  list(REMOVE_DUPLICATES names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()

function(_tolvane_check_includes name file is_logic below)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
  foreach(line ${lines})
    if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_0-9]+)/([^\"]+)\"")
      set(sub ${CMAKE_MATCH_1})
      set(header ${CMAKE_MATCH_2})
      if(is_logic AND header MATCHES "_view\\.h$")
        message(FATAL_ERROR "${file}: a logic file includes the widget header ${sub}/${header}; "
                            "widgets belong in *_view files.")
      endif()
      if(NOT sub STREQUAL name)
        if(NOT sub IN_LIST below)
          message(FATAL_ERROR "${file} includes ${sub}/${header}, but ${sub} is not below "
                              "${name}: add it to the DEPS of ${name} if it lies below.")
        endif()
        get_property(offers GLOBAL PROPERTY TOLVANE_OFFERS_${sub})
        if(NOT header IN_LIST offers)
          message(FATAL_ERROR "${file} includes ${sub}/${header}, a header private to ${sub}: "
                              "use what ${sub} offers, or add it to the OFFERS of ${sub}.")
        endif()
      endif()
    elseif(is_logic AND line MATCHES "#[ \t]*include[ \t]*<(Qt[A-Za-z]+/)?([A-Za-z_0-9]+)>")
      set(module ${CMAKE_MATCH_1})
      set(header ${CMAKE_MATCH_2})
      if(module MATCHES "^Qt(Widgets|Charts|PrintSupport|WebEngineWidgets)/$" OR
         header IN_LIST TOLVANE_WIDGET_HEADERS)
        message(FATAL_ERROR "${file}: a logic file includes <${module}${header}> from a widget "
                            "module; widgets belong in *_view files.")
      endif()
    endif()
  endforeach()
endfunction()

function(tolvane_subsystem name)
  cmake_parse_arguments(S "" "" "QT;DEPS;OFFERS" ${ARGN})
  set(dir ${CMAKE_CURRENT_SOURCE_DIR}/${name})
  if(NOT IS_DIRECTORY ${dir})
    message(FATAL_ERROR "Subsystem folder ${dir} is missing: declare a subsystem once it has code.")
  endif()
  file(GLOB all CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.h ${dir}/*.ui ${dir}/*.qrc)
  set(logic)
  set(view)
  foreach(f ${all})
    get_filename_component(fn ${f} NAME)
    if(fn MATCHES "_view\\.|\\.ui$|\\.qrc$")
      list(APPEND view ${f})
    else()
      list(APPEND logic ${f})
    endif()
  endforeach()
  if(NOT logic)
    message(FATAL_ERROR "Subsystem folder ${dir} holds no logic files.")
  endif()

  # The subsystems below this one: its DEPS and everything below them.
  set(below)
  foreach(dep ${S_DEPS})
    if(dep MATCHES "^tolvane_(.+)$")
      list(APPEND below ${CMAKE_MATCH_1})
      get_property(deeper GLOBAL PROPERTY TOLVANE_BELOW_${CMAKE_MATCH_1})
      list(APPEND below ${deeper})
    endif()
  endforeach()
  list(REMOVE_DUPLICATES below)
  foreach(header ${S_OFFERS})
    if(NOT EXISTS ${dir}/${header} AND
       NOT EXISTS ${CMAKE_CURRENT_BINARY_DIR}/generated/${name}/${header})
      message(FATAL_ERROR "${name} offers ${header}, which is not in ${dir}.")
    endif()
  endforeach()
  set_property(GLOBAL PROPERTY TOLVANE_BELOW_${name} ${below})
  set_property(GLOBAL PROPERTY TOLVANE_OFFERS_${name} ${S_OFFERS})
  foreach(f ${logic})
    _tolvane_check_includes(${name} ${f} TRUE "${below}")
  endforeach()
  foreach(f ${view})
    if(f MATCHES "\\.(cpp|h)$")
      _tolvane_check_includes(${name} ${f} FALSE "${below}")
    endif()
  endforeach()

  add_library(tolvane_${name} STATIC ${logic})
  tolvane_warnings(tolvane_${name})
  target_include_directories(tolvane_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(tolvane_${name} PUBLIC ${S_QT} ${S_DEPS})
  if(view)
    add_library(tolvane_${name}_view STATIC ${view})
    tolvane_warnings(tolvane_${name}_view)
    target_link_libraries(tolvane_${name}_view PUBLIC tolvane_${name} Qt6::Widgets)
  endif()
endfunction()
