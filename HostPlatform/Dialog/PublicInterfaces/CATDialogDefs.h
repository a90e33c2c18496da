#ifndef CATDialogDefs_h
#define CATDialogDefs_h
// Types and values shared by every dialog object: states, sensitivity, visibility, grid justification.
#include "CATDataType.h"

#include "CATDialogExport.h"

typedef unsigned long CATDlgStyle;
typedef unsigned long CATULong;

// Sensitivity (SetSensitivity); 0 counts as CATDlgDisable.
#define CATDlgEnable 8UL
#define CATDlgDisable 16UL
// Visibility (SetVisibility); 0 counts as CATDlgHide.
#define CATDlgShow 2UL
#define CATDlgHide 4UL
// States of check buttons, radio buttons and locks (SetState).
#define CATDlgUncheck 0UL
#define CATDlgCheck 1UL

// Grid justification: where a control sits in its cells; stretched when attached to opposite sides.
#define CATGRID_CENTER 0UL
#define CATGRID_LEFT 2UL
#define CATGRID_RIGHT 4UL
#define CATGRID_TOP 8UL
#define CATGRID_BOTTOM 16UL
#define CATGRID_4SIDES 30UL

// Layout of a container (dialog window or frame): children placed by grid constraints.
#define CATDlgGridLayout 0x00000001UL

#endif
