#pragma once
// The scale a Linux desktop asks applications to draw at, as X11 publishes it: the Xft.dpi
// resource that desktops and xrdb put into the root window's RESOURCE_MANAGER property, where
// 96 dpi is a scale of 1. Editors use it when the host gives no content scale of its own.

namespace x11
{

// Xft.dpi / 96 from the text of an X resource database ("Xft.dpi:\t144" gives 1.5); 0 when the
// text names no Xft.dpi or a value that is no positive number.
float ScaleFromResources(const char* resources);

// The scale the X server's resources ask for on $DISPLAY, at least 1 (editors never draw smaller
// than their layout); 1 without a server or an Xft.dpi. Opens and closes a connection of its own.
float DesktopScale();

} // namespace x11
