# Installation and the two Debian packages.
#
#   cmake --install <build> --prefix <root>   everything below, both components
#   cpack -G DEB (in <build>)                 tavrel-server_<version>_amd64.deb: the network
#                                             server, its libraries, unit, configuration,
#                                             logrotate snippet and manual page;
#                                             tavrel_<version>_amd64.deb: the desk (host,
#                                             module, suite libraries, menu entry), which
#                                             runs the server's libraries in process and so
#                                             depends on the first
#
# Programs find the libraries through $ORIGIN/../lib/tavrel, the libraries each other
# through $ORIGIN and the module them through $ORIGIN/.. . The build tree keeps its own
# search path (the bin folder), so nothing installed is needed to run from it.

# What the server needs links Qt Core, Sql and Network only, never Widgets.
set(TAVREL_SERVER_LIBRARIES TavrelContracts TavrelRelation TavrelServer)
set(TAVREL_DESK_LIBRARIES TavrelServerAdmin TavrelRemote TavrelCompat MTavrelMPR MVGnNormaMP
    TavrelReports TavrelReportsData)
set(TAVREL_INSTALLED_LIBRARIES ${TAVREL_SERVER_LIBRARIES} ${TAVREL_DESK_LIBRARIES})

file(RELATIVE_PATH bin_to_lib ${CMAKE_INSTALL_PREFIX}/${TAVREL_INSTALL_BINDIR}
     ${CMAKE_INSTALL_PREFIX}/${TAVREL_INSTALL_LIBDIR})
file(RELATIVE_PATH module_to_lib ${CMAKE_INSTALL_PREFIX}/${TAVREL_INSTALL_MODULEDIR}
     ${CMAKE_INSTALL_PREFIX}/${TAVREL_INSTALL_LIBDIR})
set_target_properties(tavrel tavrel-server PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
set_target_properties(${TAVREL_INSTALLED_LIBRARIES} PROPERTIES INSTALL_RPATH "$ORIGIN")
set_target_properties(VEdUvura PROPERTIES INSTALL_RPATH "$ORIGIN/${module_to_lib}")

install(TARGETS tavrel RUNTIME DESTINATION ${TAVREL_INSTALL_BINDIR} COMPONENT desk)
install(TARGETS tavrel-server RUNTIME DESTINATION ${TAVREL_INSTALL_BINDIR} COMPONENT server)
# Private libraries: the versioned names only, no development link, not executable.
set(library_permissions OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
install(TARGETS ${TAVREL_SERVER_LIBRARIES} LIBRARY DESTINATION ${TAVREL_INSTALL_LIBDIR}
        NAMELINK_SKIP PERMISSIONS ${library_permissions} COMPONENT server)
install(TARGETS ${TAVREL_DESK_LIBRARIES} LIBRARY DESTINATION ${TAVREL_INSTALL_LIBDIR}
        NAMELINK_SKIP PERMISSIONS ${library_permissions} COMPONENT desk)
install(TARGETS VEdUvura LIBRARY DESTINATION ${TAVREL_INSTALL_MODULEDIR}
        PERMISSIONS ${library_permissions} COMPONENT desk)

set(packaging ${CMAKE_SOURCE_DIR}/packaging)
install(FILES ${packaging}/tavrel.desktop DESTINATION share/applications COMPONENT desk)
install(FILES ${packaging}/tavrel.svg DESTINATION share/icons/hicolor/scalable/apps
        COMPONENT desk)
# The service: its unit; its configuration (made root:tavrel 0640 by the package's
# postinst once the user exists) and the rotation of its access logs, both conffiles of
# the package, where the system reads them: /etc for the prefix /usr (the package),
# <prefix>/etc for any other, so that an install into a folder of one's own needs no
# rights over /etc.
install(FILES ${packaging}/server/tavrel-server.service DESTINATION lib/systemd/system
        COMPONENT server)
install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
        set(tavrel_etc /etc)
    else()
        set(tavrel_etc \${CMAKE_INSTALL_PREFIX}/etc)
    endif()
    file(INSTALL \"${packaging}/server/server.conf\" DESTINATION \${tavrel_etc}/tavrel
         PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ)
    file(INSTALL \"${packaging}/server/tavrel-server.logrotate\" DESTINATION \${tavrel_etc}/logrotate.d
         RENAME tavrel-server PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)"
    COMPONENT server)
foreach(package tavrel tavrel-server)
    if(package STREQUAL "tavrel")
        set(component desk)
    else()
        set(component server)
    endif()
    install(FILES ${packaging}/copyright DESTINATION share/doc/${package} COMPONENT ${component})
    install(FILES ${CMAKE_SOURCE_DIR}/docs/deployment.md DESTINATION share/doc/${package}
            COMPONENT ${component})
endforeach()

# The changelog (a native package's: changelog.gz), compressed without a time stamp so
# that builds are repeatable.
set(changelog ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${packaging}/changelog > ${changelog}
    DEPENDS ${packaging}/changelog VERBATIM)
add_custom_target(tavrel_changelog ALL DEPENDS ${changelog})
install(FILES ${changelog} DESTINATION share/doc/tavrel COMPONENT desk)
install(FILES ${changelog} DESTINATION share/doc/tavrel-server COMPONENT server)

# Manual pages from the programs' own --help and --version.
find_program(TAVREL_HELP2MAN help2man)
if(TAVREL_HELP2MAN)
    set(pages)
    foreach(program tavrel tavrel-server)
        if(program STREQUAL "tavrel")
            set(description "menu host of the Tavrel payroll suite")
            set(component desk)
        else()
            set(description "network application server of the Tavrel payroll suite")
            set(component server)
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
        install(FILES ${page}.gz DESTINATION share/man/man1 COMPONENT ${component})
    endforeach()
    add_custom_target(tavrel_man_pages ALL DEPENDS ${pages})
else()
    message(STATUS "help2man not found: no manual pages (scripts/setup-deps installs it)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL desk server)
set(CPACK_PACKAGE_NAME tavrel)
set(CPACK_PACKAGE_VENDOR "Tavrel")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Tavrel maintainers <soporte@tavrel.example>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tavrel.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_DESK_PACKAGE_NAME tavrel)
set(CPACK_COMPONENT_DESK_DESCRIPTION "Colombian payroll suite: menu host and programs
Tavrel keeps the payroll of Colombian companies. This package holds the menu
host with its programs and the relation maintenance module with its reports. A
desk works on a SQLite file of its own, on a PostgreSQL database, or through
the network application server of the package tavrel-server.")
# SQLite's driver is a plugin, which dpkg-shlibdeps cannot see.
set(CPACK_DEBIAN_DESK_PACKAGE_DEPENDS "tavrel-server (= ${PROJECT_VERSION}), libqt6sql6-sqlite")
set(CPACK_DEBIAN_DESK_PACKAGE_RECOMMENDS "fonts-liberation")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME tavrel-server)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "Colombian payroll suite: network application server
The application server of the Tavrel payroll suite, which lets many desks share
one PostgreSQL database over HTTPS, with the libraries that desks also run in
process. It installs a systemd service, tavrel-server, that runs as the system
user tavrel once /etc/tavrel/server.conf names its database logins.")
set(CPACK_DEBIAN_SERVER_PACKAGE_DEPENDS "adduser, libqt6sql6-sqlite")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA
    ${packaging}/server/postinst ${packaging}/server/prerm ${packaging}/server/postrm
    ${packaging}/server/conffiles)

# dpkg-shlibdeps resolves the suite's own libraries in the staged trees of both.
set(staged ${CMAKE_CURRENT_BINARY_DIR}/_CPack_Packages/Linux/DEB/tavrel-${PROJECT_VERSION}-Linux)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${staged}/desk/usr/${TAVREL_INSTALL_LIBDIR} ${staged}/server/usr/${TAVREL_INSTALL_LIBDIR})
# CPack adds ldconfig to postinst and postrm for any library below usr/lib; the suite's
# own folder needs none (lintian warns, maintscript-calls-ldconfig).
include(CPack)
