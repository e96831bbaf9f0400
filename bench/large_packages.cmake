# The large case of the update figure: the Hub as a package of real size, made only when
# bench/run.sh builds orvh_bench_packages (never by tools/build.sh), listed in
# bench_packages.h. About 2,000 files and 140 MB in six features; 1.2.0 differs from
# 1.1.601 in a third of its files, and the patch to 1.2.100 changes one file in about
# twenty and adds twelve.

# The Hub's upgrade code (src/common/edition.h).
set(large_upgrade_code {4A7C1E92-6B3D-4F18-8E25-A19C3B7D5F60})
set(large_product_code_1_1 {5E0B7C1A-2F4D-4B8E-9A63-0C7D1E2F3A41})
set(large_product_code_1_2 {8C2D4E6F-1A3B-4C5D-8E7F-9A0B1C2D3E52})

# Each group of files: folder, file stem and extension, count, average size in bytes,
# share of text-like content in percent, sub-folders it is spread over, and one file in
# how many the patch changes.
set(large_groups
  "bin module dll 260 150000 35 1 12"
  "plugins plugin dll 320 90000 35 16 16"
  "resources/images image png 520 75000 0 4 40"
  "resources/strings strings txt 200 18000 100 1 20"
  "docs page html 480 40000 100 8 25"
  "samples sample txt 219 30000 90 6 30")

# FILES of the large package at STAGE: 0 for 1.1.601, 1 for 1.2.0, 2 for 1.2.100.
function(orvh_bench_large_files out stage program)
  set(files "Orvane Hub.exe" PROGRAM:${program})
  set(group 0)
  foreach(description IN LISTS large_groups)
    string(REPLACE " " ";" description "${description}")
    list(POP_FRONT description folder stem extension count average text subfolders patch_every)
    math(EXPR last "${count} - 1")
    foreach(index RANGE ${last})
      string(SHA1 hash "${folder}${index}")
      string(SUBSTRING ${hash} 0 4 hash)
      math(EXPR size "${average} * (50 + 0x${hash} % 101) / 100")
      math(EXPR third "${index} % 3")
      math(EXPR patched "${index} % ${patch_every}")
      set(edition 1)
      if(stage EQUAL 0 AND third EQUAL 0)
        set(edition 0)
      elseif(stage EQUAL 2 AND patched EQUAL 0)
        set(edition 2)
      endif()
      set(name "${folder}/${stem}${index}.${extension}")
      if(subfolders GREATER 1)
        math(EXPR subfolder "${index} % ${subfolders}")
        set(name "${folder}/part${subfolder}/${stem}${index}.${extension}")
      endif()
      list(APPEND files "${name}" DATA:${size}:g${group}f${index}e${edition}:${text})
    endforeach()
    math(EXPR group "${group} + 1")
  endforeach()
  if(stage EQUAL 2)
    foreach(index RANGE 1 6)
      list(APPEND files "bin/addon${index}.dll" DATA:120000:addon${index}:35
                        "docs/part0/whatsnew${index}.html" DATA:30000:whatsnew${index}:100)
    endforeach()
  endif()
  set(${out} "${files}" PARENT_SCOPE)
endfunction()

orvh_bench_large_files(files_1_1_601 0 orvh_fixture_product_1_1_601)
orvh_fixture_package(hub-large-1.1.601.msi
  PRODUCT "Orvane Hub" VERSION 1.1.601 GROUP orvh_bench_packages
  PRODUCT_CODE ${large_product_code_1_1} UPGRADE_CODE ${large_upgrade_code} MAJOR_UPGRADE
  FILES ${files_1_1_601})

orvh_bench_large_files(files_1_2_0 1 orvh_fixture_product_1_2_0)
orvh_fixture_package(hub-large-1.2.0.msi
  PRODUCT "Orvane Hub" VERSION 1.2.0 GROUP orvh_bench_packages
  PRODUCT_CODE ${large_product_code_1_2} UPGRADE_CODE ${large_upgrade_code} MAJOR_UPGRADE
  FILES ${files_1_2_0})

orvh_bench_large_files(files_1_2_100 2 orvh_fixture_product_1_2_100)
orvh_fixture_package(hub-large-1.2.100-upgraded.msi
  PRODUCT "Orvane Hub" VERSION 1.2.100 GROUP orvh_bench_packages
  PRODUCT_CODE ${large_product_code_1_2} UPGRADE_CODE ${large_upgrade_code} MAJOR_UPGRADE
  FILES ${files_1_2_100})
orvh_fixture_patch(hub-large-1.2.100.msp GROUP orvh_bench_packages
  TARGET hub-large-1.2.0.msi UPGRADED hub-large-1.2.100-upgraded.msi PATCH_CODE {B1D3F5A7-9C2E-4A6B-8D0F-1E3C5A7B9D64})

orvh_fixture_catalog(GROUP orvh_bench_packages HEADER bench_packages.h)
