# What Windows reads from each shipped program's own file before it runs it
# (its manifest, version and icons), and how the file is linked: without a
# symbol table, with address-space randomisation and no-execute data.
include_guard(GLOBAL)

set(ONDREL_RESOURCE_DIR ${CMAKE_CURRENT_LIST_DIR})
set(ONDREL_DRAW_ICON ${CMAKE_CURRENT_LIST_DIR}/draw-icon.sh)
find_program(ONDREL_CONVERT convert)
if(NOT ONDREL_CONVERT)
  message(FATAL_ERROR "ImageMagick's convert draws the programs' icons: install imagemagick "
                      "(scripts/install-deps.sh does)")
endif()

# The trust information of a manifest: setup asks for administrator rights;
# the organiser asks for nothing.
set(ONDREL_TRUST_ADMINISTRATOR [=[
  <!-- Setup writes to the program-files folder and to HKEY_LOCAL_MACHINE. It
       asks for administrator rights, so that Windows never runs it without
       them and sends those writes into the user's virtual store, where the
       installation would be reported done yet be found by nobody. -->
  <trustInfo xmlns="urn:schemas-microsoft-com:asm.v3">
    <security>
      <requestedPrivileges>
        <requestedExecutionLevel level="requireAdministrator" uiAccess="false"/>
      </requestedPrivileges>
    </security>
  </trustInfo>]=])
set(ONDREL_TRUST_NONE [=[
  <!-- No requested execution level: "ondrel.db" lives beside the program,
       and a standard user's saves there in the program-files folder work
       through Windows' redirection into the user's virtual store, which a
       level of any kind would end. -->]=])

# Writes the manifest of a program into folder: name (e.g. "Organiser"),
# file name, description, and ADMINISTRATOR or NONE for its trust.
function(ondrel_write_manifest folder file name description trust)
  set(ONDREL_MANIFEST_FILE ${file})
  set(ONDREL_MANIFEST_NAME ${name})
  set(ONDREL_MANIFEST_DESCRIPTION ${description})
  set(ONDREL_MANIFEST_TRUST_INFO "${ONDREL_TRUST_${trust}}")
  get_filename_component(stem ${file} NAME_WE)
  configure_file(${ONDREL_RESOURCE_DIR}/ondrel-manifest.in ${folder}/${stem}.manifest @ONLY)
endfunction()

# ondrel_shipped_program(target SCRIPT rc NAME name DESCRIPTION text
#                        TRUST ADMINISTRATOR|NONE ICON variant ICON_GROUPS n)
# Compiles the program's resource script with its manifest, the shared
# version block and its icon drawn by draw-icon.sh, and links it stripped.
function(ondrel_shipped_program target)
  cmake_parse_arguments(ARG "" "SCRIPT;NAME;DESCRIPTION;TRUST;ICON;ICON_GROUPS" "" ${ARGN})
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  ondrel_write_manifest(${folder} ${target}.exe ${ARG_NAME} "${ARG_DESCRIPTION}" ${ARG_TRUST})
  set(icon_script ${folder}/${ARG_ICON}-icon.rc)
  add_custom_command(OUTPUT ${icon_script}
    COMMAND bash ${ONDREL_DRAW_ICON} ${ARG_ICON} ${ARG_ICON_GROUPS} ${folder}
    DEPENDS ${ONDREL_DRAW_ICON}
    COMMENT "Drawing the ${ARG_ICON} icon"
    VERBATIM)
  target_sources(${target} PRIVATE ${ARG_SCRIPT})
  # The resource compiler finds included scripts, the manifest and the
  # pictures on its include path; they are rebuilt with the script.
  set_source_files_properties(${ARG_SCRIPT} PROPERTIES OBJECT_DEPENDS
    "${folder}/${target}.manifest;${icon_script};${ONDREL_RESOURCE_DIR}/version_info.rc")
  target_include_directories(${target} PRIVATE ${folder} ${ONDREL_RESOURCE_DIR})
  target_link_libraries(${target} PRIVATE ondrel_product_version)
  # No symbol table in what users download; ASLR and DEP, with the full
  # 64-bit address space where the program is 64-bit.
  target_link_options(${target} PRIVATE -s -Wl,--dynamicbase -Wl,--nxcompat)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    target_link_options(${target} PRIVATE -Wl,--high-entropy-va)
  endif()
endfunction()

# Gives a test program the organiser's manifest, so that it runs with the
# same common controls as the program it tests.
function(ondrel_organiser_manifest target)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources)
  ondrel_write_manifest(${folder} ${target}.exe Organiser.Test "Tests of the Ondrel organiser" NONE)
  file(CONFIGURE OUTPUT ${folder}/${target}-manifest.rc CONTENT "1 24 \"${target}.manifest\"\n")
  target_sources(${target} PRIVATE ${folder}/${target}-manifest.rc)
  set_source_files_properties(${folder}/${target}-manifest.rc PROPERTIES OBJECT_DEPENDS
    ${folder}/${target}.manifest)
  target_include_directories(${target} PRIVATE ${folder})
endfunction()
