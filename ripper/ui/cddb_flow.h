// Command7, the CDDB toggle: switching on identifies the disc, asks the
// user, and writes the titles into List1; switching off restores the plain
// list.
#pragma once

class Form1;

void Command7Flow(Form1& form);
