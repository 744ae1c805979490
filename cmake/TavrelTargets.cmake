# Compiler and linker flags of the project's own targets.
#
# tavrel_warnings  INTERFACE target with the warning flags; -Werror only when
#                  TAVREL_WARNINGS_AS_ERRORS is on (the development presets turn it on).
# tavrel_sanitize  INTERFACE target with AddressSanitizer and UndefinedBehaviorSanitizer,
#                  empty unless TAVREL_SANITIZE is on.
#
# tavrel_apply_build_flags(<dir>) links both to every compiled target defined in <dir>
# and its subdirectories, so that a new target cannot be forgotten. They are private to
# each target: nothing reaches the targets of other projects or the imported ones.

add_library(tavrel_warnings INTERFACE)
target_compile_options(tavrel_warnings INTERFACE -Wall -Wextra
                       $<$<BOOL:${TAVREL_WARNINGS_AS_ERRORS}>:-Werror>)

add_library(tavrel_sanitize INTERFACE)
if(TAVREL_SANITIZE)
    target_compile_options(tavrel_sanitize INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(tavrel_sanitize INTERFACE -fsanitize=address,undefined)
endif()

function(tavrel_apply_build_flags dir)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
            # The property, not target_link_libraries: works whichever signature the target used.
            set_property(TARGET ${target} APPEND PROPERTY LINK_LIBRARIES tavrel_warnings tavrel_sanitize)
        endif()
    endforeach()
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        tavrel_apply_build_flags(${subdir})
    endforeach()
endfunction()

include(GenerateExportHeader)

# tavrel_shared_library(<target> <MACRO_BASE>)
#   Versions a shared library of the suite from the project version and hides every
#   name that is not marked with <MACRO_BASE>_EXPORT, defined in the generated
#   <target>Export.h (on the target's public include path).
function(tavrel_shared_library target base)
    set(header ${CMAKE_CURRENT_BINARY_DIR}/exports/${target}Export.h)
    generate_export_header(${target} BASE_NAME ${base} EXPORT_FILE_NAME ${header})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_BINARY_DIR}/exports)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}
        CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
endfunction()
