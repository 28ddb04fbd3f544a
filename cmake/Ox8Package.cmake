# Install layout of the program and its Debian packages.
#
#   bin/                      ox8driver, ox8ctl (package ox8driver), ox8cloud (package ox8cloud)
#   share/ox8driver/          read-only data seeded into each user's APP on start
#   lib/udev/rules.d/         the hidraw rule (uaccess for the user at the seat)
#   share/applications/       the desktop entry
#   share/icons/hicolor/      the icon, drawn by tools/artgen
#   share/metainfo/           AppStream metainfo, hardware list from the model table
#   share/man/man1/           ox8driver.1 and ox8ctl.1, made from their --help
#
# scripts/check-package.sh checks a built package against this list.

set(OX8_APP_ID org.ox8driver.OX8Driver)
# Where the pictures in resources/screenshots are published; software centres
# only take web addresses.
set(OX8_SCREENSHOT_URL "https://ox8driver.example/screenshots" CACHE STRING
    "Web folder holding the pictures of resources/screenshots")
# Goes with the version in project().
set(OX8_RELEASE_DATE 2026-12-10)

# share/ox8driver mirrors APP: only what the program reads and the user never
# edits goes here (see seededRefreshFolders in platform/appdir.h).
install(FILES ${PROJECT_SOURCE_DIR}/resources/language/translate.json
    DESTINATION share/ox8driver/Language COMPONENT driver)
install(FILES ${PROJECT_SOURCE_DIR}/resources/udev/70-ox8driver.rules
    DESTINATION lib/udev/rules.d COMPONENT driver)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${OX8_APP_ID}.desktop
    DESTINATION share/applications COMPONENT driver)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor
    DESTINATION share/icons COMPONENT driver)

# The metainfo's modalias list comes from discovery/models.cpp at build time.
configure_file(${PROJECT_SOURCE_DIR}/resources/desktop/${OX8_APP_ID}.metainfo.xml.in
    ${CMAKE_BINARY_DIR}/desktop/${OX8_APP_ID}.metainfo.xml.in @ONLY)
set(OX8_METAINFO ${CMAKE_BINARY_DIR}/desktop/${OX8_APP_ID}.metainfo.xml)
add_custom_command(OUTPUT ${OX8_METAINFO}
    COMMAND ox8_metainfogen ${CMAKE_BINARY_DIR}/desktop/${OX8_APP_ID}.metainfo.xml.in ${OX8_METAINFO}
    DEPENDS ox8_metainfogen ${CMAKE_BINARY_DIR}/desktop/${OX8_APP_ID}.metainfo.xml.in
    COMMENT "AppStream metainfo from the model table"
    VERBATIM)
add_custom_target(ox8_metainfo ALL DEPENDS ${OX8_METAINFO})
install(FILES ${OX8_METAINFO} DESTINATION share/metainfo COMPONENT driver)

# Man pages from --help (Debian package help2man).
find_program(OX8_HELP2MAN help2man)
if(OX8_HELP2MAN)
    set(OX8_MAN_PAGES)
    foreach(prog ox8driver ox8ctl)
        if(prog STREQUAL "ox8driver")
            set(summary "configure Korvan gaming mice")
        else()
            set(summary "configure Korvan gaming mice from a terminal")
        endif()
        set(page ${CMAKE_BINARY_DIR}/man/${prog}.1)
        add_custom_command(OUTPUT ${page}
            COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
            COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
                ${OX8_HELP2MAN} --no-info --no-discard-stderr --version-string=${PROJECT_VERSION}
                --name=${summary} --section=1 --output=${page} $<TARGET_FILE:${prog}>
            DEPENDS ${prog}
            COMMENT "Man page of ${prog}"
            VERBATIM)
        list(APPEND OX8_MAN_PAGES ${page})
    endforeach()
    add_custom_target(ox8_manpages ALL DEPENDS ${OX8_MAN_PAGES})
    install(FILES ${OX8_MAN_PAGES} DESTINATION share/man/man1 COMPONENT driver)
else()
    message(STATUS "help2man not found: no man pages (scripts/setup-deps.sh installs it)")
endif()

# Debian packages: ox8driver (program, tool, data) and ox8cloud (the server).
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ox8driver)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "OX8Driver")
set(CPACK_PACKAGE_CONTACT "OX8Driver developers <ox8driver@localhost>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL driver cloud)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)

set(CPACK_DEBIAN_DRIVER_PACKAGE_NAME ox8driver)
set(CPACK_DEBIAN_DRIVER_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_DRIVER_DESCRIPTION "configuration utility for Korvan gaming mice
 OX8Driver sets button assignments, CPI stages, report rate, lighting,
 macros, the OLED picture and five profiles of Korvan gaming mice over USB
 HID, updates their firmware and pairs wireless mice with their receivers.
 The package holds the window, the command-line tool ox8ctl and the udev
 rule that lets the user at the seat open the mice.")
# The CJK font covers the Chinese texts; the program runs without it.
set(CPACK_DEBIAN_DRIVER_PACKAGE_RECOMMENDS "fonts-noto-cjk")
set(CPACK_DEBIAN_DRIVER_PACKAGE_CONTROL_EXTRA
    ${PROJECT_SOURCE_DIR}/resources/debian/postinst
    ${PROJECT_SOURCE_DIR}/resources/debian/postrm)
set(CPACK_DEBIAN_DRIVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_CLOUD_PACKAGE_NAME ox8cloud)
set(CPACK_DEBIAN_CLOUD_PACKAGE_SECTION net)
set(CPACK_COMPONENT_CLOUD_DESCRIPTION "account, cloud and version service for OX8Driver
 ox8cloud is the self-hostable HTTP service behind OX8Driver's account,
 cloud sync and version check, storing its data in SQLite or PostgreSQL.")

include(CPack)
