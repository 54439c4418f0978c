# The window's catalogs: every translations/kestrix_<language>.ts compiled
# by lrelease into a .qm and built into the given target as a resource under
# :/kestrix/translations (where the toolkit's UseLanguage looks). A new .ts
# file is a new language, picked up when the build is configured again.
find_program(KESTRIX_LRELEASE lrelease HINTS /usr/lib/qt6/bin ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_BINS} REQUIRED)

function(kestrix_add_translations target)
  file(GLOB ts_files CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/translations/kestrix_*.ts)
  set(qm_dir ${CMAKE_CURRENT_BINARY_DIR}/translations)
  set(qm_files)
  foreach(ts ${ts_files})
    get_filename_component(name ${ts} NAME_WE)
    set(qm ${qm_dir}/${name}.qm)
    add_custom_command(OUTPUT ${qm}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${qm_dir}
      COMMAND ${KESTRIX_LRELEASE} -silent ${ts} -qm ${qm}
      DEPENDS ${ts}
      COMMENT "Compiling the catalog ${name}"
      VERBATIM)
    list(APPEND qm_files ${qm})
  endforeach()
  set_source_files_properties(${qm_files} PROPERTIES GENERATED TRUE)
  qt_add_resources(${target} ${target}_translations
    PREFIX /kestrix/translations
    BASE ${qm_dir}
    FILES ${qm_files}
  )
endfunction()
