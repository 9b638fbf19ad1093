# Embeds every file of resources/ into orvel_gfx: a generated source holds the bytes and a
# table by resource name (the file name without its extension, in upper case).
#
# Included from CMakeLists.txt, this file sets up the generation; run with `cmake -P` it is
# the generator itself (RESOURCE_DIR and OUTPUT given with -D).

function(orvel_resource_files dir out_var)
  file(GLOB files LIST_DIRECTORIES false ${dir}/*)
  list(FILTER files EXCLUDE REGEX "/\\.[^/]*$")  # hidden files are not resources
  list(SORT files)
  set(${out_var} ${files} PARENT_SCOPE)
endfunction()

function(orvel_resource_name file out_var)
  get_filename_component(name ${file} NAME_WLE)
  string(TOUPPER "${name}" name)
  set(${out_var} ${name} PARENT_SCOPE)
endfunction()

if(CMAKE_SCRIPT_MODE_FILE)
  orvel_resource_files(${RESOURCE_DIR} files)
  set(body "// Generated from resources/ at build time; do not edit.\n")
  string(APPEND body "#include \"platform/gfx/EmbeddedTable.h\"\n\nnamespace {\n")
  set(table "")
  set(entries "")
  set(index 0)
  foreach(f ${files})
    orvel_resource_name(${f} name)
    file(SIZE ${f} size)
    file(READ ${f} hex HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
    if(size EQUAL 0)
      set(bytes "0")
    endif()
    string(APPEND body "alignas(8) const uint8_t kData${index}[] = {\n${bytes}};\n")
    list(APPEND entries "{\"${name}\", kData${index}, ${size}}")
    math(EXPR index "${index} + 1")
  endforeach()
  if(index EQUAL 0)
    set(entries "{\"\", nullptr, 0}")
  endif()
  list(JOIN entries ",\n    " joined)
  string(APPEND body "}  // namespace\n\nconst TEmbeddedEntry kEmbeddedResources[] = {\n    ${joined}};\n")
  string(APPEND body "const size_t kEmbeddedResourceCount = ${index};\n")
  file(WRITE ${OUTPUT}.tmp "${body}")
  file(RENAME ${OUTPUT}.tmp ${OUTPUT})
  return()
endif()

set(ORVEL_RESOURCE_DIR ${CMAKE_SOURCE_DIR}/resources)
file(GLOB ORVEL_RESOURCE_GLOB CONFIGURE_DEPENDS LIST_DIRECTORIES false ${ORVEL_RESOURCE_DIR}/*)
orvel_resource_files(${ORVEL_RESOURCE_DIR} ORVEL_RESOURCE_FILES)

# Two files that would give one name (ICON.bmp and ICON.ico) cannot both be found by it.
set(seen "")
foreach(f ${ORVEL_RESOURCE_FILES})
  orvel_resource_name(${f} name)
  if(name IN_LIST seen)
    message(FATAL_ERROR "Two files in resources/ give the resource name ${name}")
  endif()
  list(APPEND seen ${name})
endforeach()

set(ORVEL_RESOURCE_SOURCE ${CMAKE_BINARY_DIR}/generated/EmbeddedResources.cpp)
add_custom_command(
  OUTPUT ${ORVEL_RESOURCE_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND ${CMAKE_COMMAND} -DRESOURCE_DIR=${ORVEL_RESOURCE_DIR} -DOUTPUT=${ORVEL_RESOURCE_SOURCE}
          -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${ORVEL_RESOURCE_FILES} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Embedding resources/"
  VERBATIM)
target_sources(orvel_gfx PRIVATE ${ORVEL_RESOURCE_SOURCE})
