// Which string of the module's table explains a control of a page.
#pragma once

// The string id for the control of the page dialog, or 0 when the control
// has no help text (labels, group boxes, the web link, the sheet's buttons).
unsigned ControlHelpString(int dialogId, int controlId);
