#pragma once

class QWidget;

namespace quessel {

// Steps a form back while a modal window stands in front of it, and brings it back after.
// The form fades through its "ctlPermeate" control where the desktop can show translucent
// windows; elsewhere it is moved out of sight and back. `opacity` (percent) applies only to a
// veil. A restore puts the form back into the always-on-top band when WindowTopMost is set.
void SetFormVeil(QWidget* form, bool restore, int opacity);

// Puts the form's window into the always-on-top band or takes it out, keeping its place, size
// and window state. Where the compositor decides stacking itself (Wayland) this is a request.
void SetTopMost(QWidget* form, bool flag);

} // namespace quessel
