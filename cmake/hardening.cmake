# Both programs read files from anywhere, so release builds get the hardening
# Debian builds its own packages with: stack protector, fortified library
# calls, control-flow protection, and a read-only relocation table resolved
# at start. Sanitizer and fuzz builds have their own checks and skip these;
# _FORTIFY_SOURCE needs optimisation, so Debug builds skip them too.
include(CheckCXXCompilerFlag)
if(NOT PIXOLAT_SANITIZE AND NOT PIXOLAT_FUZZ AND NOT PIXOLAT_TSAN
   AND CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$")
    add_compile_options(-fstack-protector-strong -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2)
    # x86 only: elsewhere the compiler refuses the flag.
    check_cxx_compiler_flag(-fcf-protection PIXOLAT_HAS_CF_PROTECTION)
    if(PIXOLAT_HAS_CF_PROTECTION)
        add_compile_options(-fcf-protection)
    endif()
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
