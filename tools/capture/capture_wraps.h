// Link-time wraps of the capture (linked with -Wl,--wrap=_Z7pt_tickv and
// -Wl,--wrap=glViewport): every player tick is recorded with the position it
// leaves, and viewports given in the demo's 1024x768 window pixels are
// scaled to the capture's picture size.
#pragma once

void set_viewport_scale(int width, int height);
