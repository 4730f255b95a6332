# Compiles forms/<name>.ui into ui_<name>.h for one target. Explicit rules instead of AUTOUIC: under
# Ninja, AUTOUIC rewrites a changed form's header after the build has chosen what to recompile, so
# the change reached the program only with the next build.
function(tavro_add_forms target)
    list(TRANSFORM ARGN PREPEND ${CMAKE_SOURCE_DIR}/forms/ OUTPUT_VARIABLE forms)
    qt_wrap_ui(headers ${forms})
    target_sources(${target} PRIVATE ${forms} ${headers})
    target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
    # A build folder from the AUTOUIC days holds old headers in a folder searched first: they go.
    list(TRANSFORM ARGN REPLACE "^(.*)\\.ui$" "${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/include/ui_\\1.h"
         OUTPUT_VARIABLE autouic_headers)
    file(REMOVE ${autouic_headers})
endfunction()
