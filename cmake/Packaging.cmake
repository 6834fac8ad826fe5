# Debian packages of the plain build (scripts/package.sh runs CPack on the finished build tree):
#   tarnwick-client  the client, the upgrade program, faces, desktop entry and icons,
#                    /etc/tarnwick/deployment.ini
#   tarnwick-local   the local service, the teacher programs, the lesson deck, scenarios, the
#                    service's systemd unit and /etc/tarnwick/tarnwick-local.conf
# Programs go to /usr/lib/tarnwick with links in /usr/bin; core/places.h reads that folder as
# "installed" and takes the shared files from /usr/share/tarnwick, deployment.ini from
# /etc/tarnwick and the user's files from the XDG folders.

set(TARNWICK_MAINTAINER "Tarnwick developers <packages@tarnwick.example.org>")
set(PKG_DIR ${CMAKE_SOURCE_DIR}/packaging)
set(PKG_BUILD ${CMAKE_BINARY_DIR}/packaging)
set(PKG_PROGRAMS lib/tarnwick)   # core/places.h: Places::kProgramSubdir
set(PKG_SHARED share/tarnwick)   # Places::kSharedSubdir
set(PKG_CONFIG /etc/tarnwick)    # Places::kConfigSubdir under the root

# --- changelog: one entry for the project's version, dated by the commit it is built from
execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
set(saved_epoch "$ENV{SOURCE_DATE_EPOCH}")
if(commit_time AND NOT saved_epoch)
  set(ENV{SOURCE_DATE_EPOCH} ${commit_time})
endif()
string(TIMESTAMP TARNWICK_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(ENV{SOURCE_DATE_EPOCH} "${saved_epoch}")
configure_file(${PKG_DIR}/changelog.in ${PKG_BUILD}/changelog @ONLY)
execute_process(COMMAND gzip -9nf ${PKG_BUILD}/changelog RESULT_VARIABLE gzip_rc)
if(NOT gzip_rc EQUAL 0)
  message(FATAL_ERROR "gzip of the changelog failed")
endif()

# --- the links in /usr/bin
file(MAKE_DIRECTORY ${PKG_BUILD}/bin)
foreach(program quorvel tarnwick-local tarnwick-teacher)
  file(CREATE_LINK ../${PKG_PROGRAMS}/${program} ${PKG_BUILD}/bin/${program} SYMBOLIC)
endforeach()

# --- maintainer files: the service's unit is enabled and started like any packaged service
file(MAKE_DIRECTORY ${PKG_BUILD}/client ${PKG_BUILD}/local)
file(WRITE ${PKG_BUILD}/client/conffiles "${PKG_CONFIG}/deployment.ini\n")
file(WRITE ${PKG_BUILD}/local/conffiles "${PKG_CONFIG}/tarnwick-local.conf\n")
foreach(script postinst prerm postrm)
  configure_file(${PKG_DIR}/local.${script} ${PKG_BUILD}/local/${script} COPYONLY)
endforeach()

# --- tarnwick-client
install(TARGETS quorvel RUNTIME DESTINATION ${PKG_PROGRAMS} COMPONENT client)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/shell/upgrade.sh DESTINATION ${PKG_PROGRAMS} RENAME upgrade COMPONENT client)
install(FILES ${PKG_BUILD}/bin/quorvel DESTINATION bin COMPONENT client)
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/png DESTINATION ${PKG_SHARED} COMPONENT client)
install(FILES ${PKG_DIR}/tarnwick-client.desktop DESTINATION share/applications COMPONENT client)
install(DIRECTORY ${CMAKE_BINARY_DIR}/resources/generated/Resources/hicolor DESTINATION share/icons
        COMPONENT client)
install(FILES ${CMAKE_SOURCE_DIR}/app/deployment.ini.in DESTINATION ${PKG_CONFIG} RENAME deployment.ini
        COMPONENT client)

# --- tarnwick-local
install(TARGETS tarnwick-local tarnwick-teacher RUNTIME DESTINATION ${PKG_PROGRAMS} COMPONENT local)
install(FILES ${PKG_BUILD}/bin/tarnwick-local ${PKG_BUILD}/bin/tarnwick-teacher DESTINATION bin COMPONENT local)
install(DIRECTORY ${CMAKE_BINARY_DIR}/bin/documents DESTINATION ${PKG_SHARED} COMPONENT local)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/teacher/scenarios DESTINATION ${PKG_SHARED} COMPONENT local)
install(FILES ${PKG_DIR}/tarnwick-local.service DESTINATION /lib/systemd/system COMPONENT local)
install(FILES ${PKG_DIR}/tarnwick-local.conf DESTINATION ${PKG_CONFIG} COMPONENT local)

# --- both: copyright and changelog
foreach(component client local)
  install(FILES ${PKG_DIR}/copyright ${PKG_BUILD}/changelog.gz DESTINATION share/doc/tarnwick-${component}
          COMPONENT ${component})
endforeach()
install(FILES ${PKG_DIR}/README.service DESTINATION share/doc/tarnwick-local COMPONENT local)

# --- CPack
# CPack installs through the "preinstall" target, which would otherwise build everything
# first: the packages take the programs the build already made.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TARNWICK_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_SET_DESTDIR ON) # /etc and /lib/systemd are absolute destinations
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL client local)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TARNWICK_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SOURCE tarnwick)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME tarnwick-client)
set(CPACK_DEBIAN_LOCAL_PACKAGE_NAME tarnwick-local)
set(CPACK_COMPONENT_CLIENT_DESCRIPTION
    "Tarnwick student client\n The desktop client in which a student signs in, browses the Tarnwick portal\n and takes part in live classes: the teacher's video and screen, the shared\n whiteboard, chat with faces and pictures, hand raising and going on stage.")
set(CPACK_COMPONENT_LOCAL_DESCRIPTION
    "Tarnwick local service and teacher programs\n tarnwick-local is a local stand-in of the Tarnwick service (backend, portal\n pages, document previews and the class hub) on loopback, so that a whole class\n runs on one machine. tarnwick-teacher plays a scripted teacher or, with\n --console, opens the teacher console.")
# The service serves the client's faces, and the teacher console shows them in its chat.
set(CPACK_DEBIAN_LOCAL_PACKAGE_DEPENDS "tarnwick-client (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_CLIENT_PACKAGE_CONTROL_EXTRA ${PKG_BUILD}/client/conffiles)
set(CPACK_DEBIAN_LOCAL_PACKAGE_CONTROL_EXTRA
    ${PKG_BUILD}/local/conffiles ${PKG_BUILD}/local/postinst ${PKG_BUILD}/local/prerm ${PKG_BUILD}/local/postrm)
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)
