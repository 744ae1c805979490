# Installation and the Debian package.
#
#   cmake --install <build> --prefix <root>   programs, libraries, module, desktop entry,
#                                             icon, manual pages and copyright
#   cpack -G DEB (in <build>)                 tavrel_<version>_amd64.deb
#
# Programs find the libraries through $ORIGIN/../lib/tavrel, the libraries each other
# through $ORIGIN and the module them through $ORIGIN/.. . The build tree keeps its own
# search path (the bin folder), so nothing installed is needed to run from it.

set(TAVREL_INSTALLED_LIBRARIES TavrelContracts TavrelRelation TavrelServer TavrelServerAdmin TavrelRemote
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

set(packaging ${CMAKE_SOURCE_DIR}/packaging)
install(FILES ${packaging}/tavrel.desktop DESTINATION share/applications)
install(FILES ${packaging}/tavrel.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES ${packaging}/copyright DESTINATION share/doc/tavrel)
install(FILES ${CMAKE_SOURCE_DIR}/docs/deployment.md DESTINATION share/doc/tavrel)
# The rotation of the server's access logs, where logrotate reads it: /etc for the prefix
# /usr (the package), <prefix>/etc for any other, so that an install into a folder of
# one's own needs no rights over /etc. The package keeps it as a conffile.
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(tavrel_etc /etc)
    else()
        set(tavrel_etc \${CMAKE_INSTALL_PREFIX}/etc)
    endif()
    file(INSTALL \"${packaging}/tavrel-server.logrotate\" DESTINATION \${tavrel_etc}/logrotate.d
         RENAME tavrel-server PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)")
file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/packaging/conffiles "/etc/logrotate.d/tavrel-server\n")

# The changelog (a native package's: changelog.gz), compressed without a time stamp so
# that builds are repeatable.
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${packaging}/changelog > ${changelog}
    DEPENDS ${packaging}/changelog VERBATIM)
add_custom_target(tavrel_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION share/doc/tavrel)

# Manual pages from the programs' own --help and --version.
find_program(TAVREL_HELP2MAN help2man)
if(TAVREL_HELP2MAN)
    set(pages)
    foreach(program tavrel tavrel-server)
        if(program STREQUAL "tavrel")
            set(description "menu host of the Tavrel payroll suite")
        else()
            set(description "network application server of the Tavrel payroll suite")
        endif()
        set(page ${CMAKE_CURRENT_BINARY_DIR}/man/${program}.1)
        add_custom_command(OUTPUT ${page}.gz
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
                    ${TAVREL_HELP2MAN} --no-info --no-discard-stderr --section=1
                    --name=${description} --output=${page} $<TARGET_FILE:${program}>
            COMMAND gzip -9nf ${page}
            DEPENDS ${program} VERBATIM)
        list(APPEND pages ${page}.gz)
    endforeach()
    add_custom_target(tavrel_man_pages ALL DEPENDS ${pages})
    install(FILES ${pages} DESTINATION share/man/man1)
else()
    message(STATUS "help2man not found: no manual pages (scripts/setup-deps installs it)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VENDOR "Tavrel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tavrel maintainers <soporte@tavrel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Colombian payroll suite: menu host and server")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavrel keeps the payroll of Colombian companies: the menu host with its\n\
programs, the relation maintenance module with its reports, and the network\n\
application server that lets many desks share one PostgreSQL database. A\n\
single desk can also work on a SQLite file of its own.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tavrel.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps resolves the suite's own libraries in the staged tree.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_CURRENT_BINARY_DIR}/_CPack_Packages/Linux/DEB/tavrel-${PROJECT_VERSION}-Linux/usr/${TAVREL_INSTALL_LIBDIR})
# SQLite's driver is a plugin, which dpkg-shlibdeps cannot see; PostgreSQL's is the
# server library's own, on libpq, which it sees.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_BINARY_DIR}/packaging/conffiles)
# CPack adds ldconfig to postinst and postrm for any library below usr/lib; the suite's
# own folder needs none (lintian warns, maintscript-calls-ldconfig).
include(CPack)
