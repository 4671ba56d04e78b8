#include "app/pick_picture.h"

#include "app/main_window.h"
#include "app/open_file_dialog.h"
#include "app/picture_box.h"
#include "text/text.h"

namespace varnelle {

void pick_picture(MainWindow& window) {
  window.通用对话框1()->show();
  window.图片框1()->set_picture(read_file(window.通用对话框1()->file_name()));
}

}  // namespace varnelle
