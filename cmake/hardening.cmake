# The programs are built hardened as a Debian package's are (dpkg-buildflags with hardening=+all):
# _FORTIFY_SOURCE=2 (checked copies and formats in the C library's calls), the strong stack
# protector, format strings that cannot be a security hole, and full RELRO with immediate binding
# (the relocation tables read-only once the program runs). Only the optimised build types get it:
# fortification needs the optimiser, and the developers' debug and sanitizer builds stay as they are.
# The sanitizer and fuzz builds never: their run-time checks replace the same C library calls.
option(KDMXP_HARDEN "Build the optimised build types hardened as a Debian package is built" ON)
if(KDMXP_HARDEN AND NOT KDMXP_SANITIZE AND NOT KDMXP_FUZZ)
    set(KDMXP_OPTIMISED "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
    # Some compilers define _FORTIFY_SOURCE themselves; ours must be the one in force, without a
    # warning about a redefinition.
    add_compile_options("$<${KDMXP_OPTIMISED}:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>"
                        "$<${KDMXP_OPTIMISED}:-fstack-protector-strong;-Wformat;-Werror=format-security>")
    add_link_options("$<${KDMXP_OPTIMISED}:LINKER:-z,relro;LINKER:-z,now>")
endif()
