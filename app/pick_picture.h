#pragma once
// What the button does until the decode run takes over: pick a file and show its picture.

namespace varnelle {

class MainWindow;

// Shows the open-file dialog, then reads the file its file name names and shows it in the picture
// box. A cancelled dialog shows the last confirmed file again, or clears the box before any.
void pick_picture(MainWindow& window);

}  // namespace varnelle
