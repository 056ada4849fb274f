# Run by CPack between staging and packing: takes the compiler's .comment
# section and the .note section out of the staged programs and the
# converter's codec module, as Debian's own packaging does (the GNU property
# and build-id notes stay).
file(GLOB programs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/usr/bin/*"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/bin/*"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/usr/lib/*/pixolat/*.so"
     "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/usr/lib/*/pixolat/*.so")
if(programs)
    execute_process(COMMAND ${CPACK_PIXOLAT_STRIP} --remove-section=.comment
                            --remove-section=.note ${programs}
                    COMMAND_ERROR_IS_FATAL ANY)
endif()
