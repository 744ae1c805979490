# Installation.
#
#   cmake --install <build> --prefix <root>   programs, libraries, module
#
# Programs find the libraries through $ORIGIN/../lib/tavrel, the libraries each other
# through $ORIGIN and the module them through $ORIGIN/.. . The build tree keeps its own
# search path (the bin folder), so nothing installed is needed to run from it.

set(TAVREL_INSTALLED_LIBRARIES TavrelContracts TavrelServer TavrelServerAdmin TavrelRemote
    TavrelCompat MTavrelMPR MVGnNormaMP TavrelReports TavrelReportsData)

file(RELATIVE_PATH bin_to_lib ${CMAKE_INSTALL_PREFIX}/${TAVREL_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${TAVREL_INSTALL_LIBDIR})
file(RELATIVE_PATH module_to_lib ${CMAKE_INSTALL_PREFIX}/${TAVREL_INSTALL_MODULEDIR}
     ${CMAKE_INSTALL_PREFIX}/${TAVREL_INSTALL_LIBDIR})
set_target_properties(tavrel tavrel-server PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
set_target_properties(${TAVREL_INSTALLED_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(VEdUvura PROPERTIES INSTALL_RPATH "$ORIGIN/${module_to_lib}")

install(TARGETS tavrel tavrel-server RUNTIME DESTINATION ${TAVREL_INSTALL_BINDIR})
# Private libraries: the versioned names only, no development link, not executable.
set(library_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(TARGETS ${TAVREL_INSTALLED_LIBRARIES}
        LIBRARY DESTINATION ${TAVREL_INSTALL_LIBDIR} NAMELINK_SKIP PERMISSIONS ${library_permissions})
install(TARGETS VEdUvura
        LIBRARY DESTINATION ${TAVREL_INSTALL_MODULEDIR} PERMISSIONS ${library_permissions})
