/* Identifiers of the program's icon and of the progress window's pictures, shared by
   OrvhUpdate.rc and the code that loads them. */
#pragma once

#define IDI_PROGRAM 1
#define IDB_BANNER 101
#define IDI_STEP_SEARCH 111
#define IDI_STEP_PACKAGE 112
#define IDI_STEP_PATCH 113
#define IDI_STEP_START 114
#define IDI_ARROW 120
#define IDI_SUCCESS 121
#define IDI_FAILURE 122
#define IDB_LINE 130
