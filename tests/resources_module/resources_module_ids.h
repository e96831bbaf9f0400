/* Identifiers of the test-only resource module, shared by resources_module.rc and the
   tests that read it. */
#pragma once

/* Data: the same id under a type name and under a numbered type. */
#define RM_DATA 101
#define RM_NUMBERED_TYPE 300
#define RM_TEXT 103
#define RM_EMPTY_DATA 104
#define RM_BITMAP 201
#define RM_ICON 301
#define RM_CURSOR 401
#define RM_WAVE 501
/* An id the module holds under no type. */
#define RM_MISSING 999
