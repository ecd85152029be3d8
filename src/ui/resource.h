#pragma once

// Dialog templates and their control ids, shared by the resource script and the code.

#define IDD_PLENVO 101
#define IDD_PLENVO_BATCH 102

// The single-document dialog.
#define IDC_RESERVATION 1001
#define IDC_POLICY 1002
#define IDC_STATUS_RESERVATION 1003
#define IDC_STATUS_POLICY 1004
#define IDC_APPLY 1005
#define IDC_REMOVE 1006
#define IDC_HELP_BUTTON 1007
#define IDC_INCLUDE_SCHEMA 1008

// The batch dialog.
#define IDC_FILE_LIST 2001
#define IDC_ADD_FILES 2002
#define IDC_ADD_FOLDER 2003
#define IDC_REMOVE_SELECTED 2004
#define IDC_CLEAR_ALL 2005
#define IDC_BATCH_RESERVATION 2006
#define IDC_BATCH_POLICY 2007
#define IDC_BATCH_INCLUDE_SCHEMA 2008
#define IDC_APPLY_TO_ALL 2009
#define IDC_PROGRESS 2010
#define IDC_STATUS_LINE 2011
#define IDC_BATCH_HELP 2012
#define IDC_INCLUDE_SUBFOLDERS 2013
#define IDC_CHECK_STATUS 2014
#define IDC_REMOVE_ALL 2015

// Items that no code addresses.
#ifndef IDC_STATIC
#define IDC_STATIC -1
#endif
