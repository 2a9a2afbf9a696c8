/* String resources of the folder chooser dialog (widgets/select_folder_dialog.rc). */
#pragma once

#define IDS_SFD_FONT_NAME 65217
