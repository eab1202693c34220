#include "utilities/HomePage.h"

#include "utilities/MessageDialog.h"

namespace rondel {

void VisitHomePage(TForm& /*owner*/) {
    if (ShowMessageDialog("ミルテへアクセスしますか？", mtConfirmation, mbYes | mbNo, 0) != mrYes) return;
    // Opening the page in the browser comes with the browser conversation.
}

}  // namespace rondel
