/* String resources of the folder chooser dialog (widgets/select_folder_dialog.rc). */
#pragma once

#define IDS_SFD_OK 65262
#define IDS_SFD_CANCEL 65261
#define IDS_SFD_CREATE_FOLDER 65263
#define IDS_SFD_DELETE 65240
#define IDS_SFD_BROWSE_FOR_FOLDER 65241
#define IDS_SFD_FONT_NAME 65217
#define IDS_SFD_NEW_FOLDER 65218
#define IDS_SFD_CREATE_FOLDER_FAILED 65219
