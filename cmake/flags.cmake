# Compiler settings shared by every target of ours (not by GoogleTest).

option(TARNELLE_SANITIZE "Build native code with AddressSanitizer and UBSan" ON)

function(tarnelle_strict target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /WX /permissive- /utf-8 /EHsc)
  else()
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wconversion -Wshadow
                                             -Wnon-virtual-dtor -Werror)
  endif()
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0A00 WINVER=0x0A00)
  elseif(TARNELLE_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
endfunction()

# One self-contained file: the runtime is linked in, and the PE carries ASLR, DEP and
# high-entropy VA so that it needs nothing beyond the system DLLs.
function(tarnelle_windows_exe target)
  if(MINGW)
    target_link_options(${target} PRIVATE -municode -static -static-libgcc -static-libstdc++
                        -Wl,--dynamicbase,--nxcompat,--high-entropy-va $<$<CONFIG:Release,MinSizeRel>:-s>)
  elseif(MSVC)
    target_link_options(${target} PRIVATE /DYNAMICBASE /NXCOMPAT /HIGHENTROPYVA)
  endif()
endfunction()
