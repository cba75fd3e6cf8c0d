// SPDX-License-Identifier: GPL-3.0-or-later
// The dialog components as the main window owns them; each works on the bitmap
// of the image control it is pointed at.
#pragma once

#include <QObject>

#include "imaging/dialogs/pix_dlg_color.h"
#include "imaging/dialogs/pix_dlg_file.h"
#include "imaging/dialogs/pix_dlg_img_effect.h"
#include "imaging/dialogs/pix_dlg_service.h"
