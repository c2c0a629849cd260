# Builds the Windows installer of one Windows build folder with wixl from
# packaging/windows/halvex2qsx.wxs, then adds with msibuild what wixl 0.101
# cannot write itself (see below). Run by the msi target, and by the MSI test
# to make an installer of another version from the same files:
#
#   cmake -DSOURCE_DIR=REPO -DBUILD_DIR=BUILD -DARCH=x64|x86 [-DVERSION=x.y.z]
#         [-DOUTPUT=FILE.msi] -P packaging/windows/msi.cmake
#
# VERSION is the product's version (default: the files' own, from the build's
# generated/halvex_version.h); OUTPUT defaults to
# BUILD/halvex2qsx-VERSION-ARCH.msi.
cmake_minimum_required(VERSION 3.20)

foreach(var SOURCE_DIR BUILD_DIR ARCH)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "msi.cmake: ${var} not given")
  endif()
endforeach()
find_program(WIXL wixl)
find_program(MSIBUILD msibuild)
if(NOT WIXL OR NOT MSIBUILD)
  message(FATAL_ERROR "msi.cmake: wixl and msibuild are needed (Debian packages wixl and msitools)")
endif()

# The version the files' version resources carry.
file(STRINGS ${BUILD_DIR}/generated/halvex_version.h line REGEX "HALVEX_VERSION_TEXT")
string(REGEX REPLACE ".*\"(.*)\".*" "\\1" file_version "${line}")
if(NOT DEFINED VERSION OR VERSION STREQUAL "")
  set(VERSION ${file_version})
endif()
if(NOT VERSION MATCHES "^[0-9]+\\.[0-9]+\\.[0-9]+$")
  message(FATAL_ERROR "msi.cmake: version '${VERSION}' is not x.y.z")
endif()
if(NOT DEFINED OUTPUT OR OUTPUT STREQUAL "")
  set(OUTPUT ${BUILD_DIR}/halvex2qsx-${VERSION}-${ARCH}.msi)
endif()

# Per architecture: where Program Files is, the upgrade code (never to change:
# it ties every version of one architecture together, and the two
# architectures apart, so that a 32-bit and a 64-bit host can each have their
# plug-in) and the GUID of the component that holds only the PATH entry. The
# PE machine of the tool must be the architecture's.
if(ARCH STREQUAL "x64")
  set(program_files ProgramFiles64Folder)
  set(win64 yes)
  set(upgrade_code 27A54E56-966F-4B58-B12B-3A327698ADF9)
  set(path_component BA4D8A2B-76B6-4DCB-B906-1AB2341518ED)
  set(machine 6486)
elseif(ARCH STREQUAL "x86")
  set(program_files ProgramFilesFolder)
  set(win64 no)
  set(upgrade_code C6CED2B6-BCA1-4F7C-A468-02A334F16005)
  set(path_component 04169728-DDC4-4537-8201-44B1BAD15936)
  set(machine 4c01)
else()
  message(FATAL_ERROR "msi.cmake: ARCH must be x64 or x86, not '${ARCH}'")
endif()
file(READ ${BUILD_DIR}/halvex2qsx.exe pe_offset OFFSET 60 LIMIT 4 HEX)
string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" pe_offset "${pe_offset}")
math(EXPR pe_offset "0x${pe_offset} + 4")
file(READ ${BUILD_DIR}/halvex2qsx.exe pe_machine OFFSET ${pe_offset} LIMIT 2 HEX)
if(NOT pe_machine STREQUAL machine)
  message(FATAL_ERROR "msi.cmake: ${BUILD_DIR}/halvex2qsx.exe is not an ${ARCH} program")
endif()

# A product code of its own for every version and architecture (a major
# upgrade each time), the same for the same build.
string(UUID product_code NAMESPACE 56997FFA-28E3-4E8B-BFA9-546AC804F907
       NAME "halvex2qsx ${ARCH} ${VERSION}" TYPE SHA1 UPPER)

# The size "Apps and features" shows: the default feature's files, in KB.
set(size 0)
foreach(f ${BUILD_DIR}/halvex2qsx.exe ${BUILD_DIR}/ConvertHalvex.dll ${BUILD_DIR}/Convertmsg.dll
          ${SOURCE_DIR}/LICENSE ${BUILD_DIR}/doc/README.md)
  file(SIZE ${f} s)
  math(EXPR size "${size} + ${s}")
endforeach()
math(EXPR size_kb "(${size} + 1023) / 1024")

# wixl 0.101 finds files only by paths relative to the folder it runs in.
file(RELATIVE_PATH source_rel ${BUILD_DIR} ${SOURCE_DIR})
if(source_rel STREQUAL "")
  set(source_rel .)
endif()
get_filename_component(output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${output_dir})
file(REMOVE ${OUTPUT})
execute_process(
  COMMAND ${WIXL} -a ${ARCH} -o ${OUTPUT}
          -D Version=${VERSION} -D Arch=${ARCH} -D Win64=${win64} -D ProgramFiles=${program_files}
          -D ProductCode=${product_code} -D UpgradeCode=${upgrade_code} -D PathComponent=${path_component}
          -D SizeKB=${size_kb} -D BuildDir=. -D SourceDir=${source_rel}
          ${SOURCE_DIR}/packaging/windows/halvex2qsx.wxs
  WORKING_DIRECTORY ${BUILD_DIR}
  RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS ${OUTPUT})
  message(FATAL_ERROR "msi.cmake: wixl failed")
endif()

# What wixl 0.101 leaves out:
# - the Environment table (it knows no Environment element): the folder at
#   the end of the system PATH ("*"), set at install ("="), that part removed
#   again with the component ("-"), with the two actions that do it at their
#   standard places in the sequence;
# - the version of the versioned files (no DefaultVersion either), so that
#   the installer's file rules compare versions; versioned files have no
#   hash rows.
function(msi_query query)
  execute_process(COMMAND ${MSIBUILD} ${OUTPUT} -q "${query}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    file(REMOVE ${OUTPUT})
    message(FATAL_ERROR "msi.cmake: msibuild failed: ${query}")
  endif()
endfunction()
msi_query("CREATE TABLE `Environment` (`Environment` CHAR(72) NOT NULL, `Name` CHAR(255) NOT NULL LOCALIZABLE, `Value` CHAR(255) LOCALIZABLE, `Component_` CHAR(72) NOT NULL PRIMARY KEY `Environment`)")
msi_query("INSERT INTO `Environment` (`Environment`, `Name`, `Value`, `Component_`) VALUES ('PATH', '=-*PATH', '[~];[INSTALLDIR]', 'PathEntry')")
msi_query("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('RemoveEnvironmentStrings', 3300)")
msi_query("INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('WriteEnvironmentStrings', 5200)")
# One file a query: msibuild's DELETE with OR removes the wrong rows.
foreach(f halvex2qsx.exe ConvertHalvex.dll Convertmsg.dll)
  msi_query("UPDATE `File` SET `Version`='${file_version}.0' WHERE `File`='${f}'")
  msi_query("DELETE FROM `MsiFileHash` WHERE `File_`='${f}'")
endforeach()
file(SIZE ${OUTPUT} msi_size)
math(EXPR msi_kb "(${msi_size} + 1023) / 1024")
message(STATUS "${OUTPUT}: version ${VERSION}, ${ARCH}, ${msi_kb} KB, installs ${size_kb} KB")
