#include "ui/Commands.h"

namespace plenvo {

void RunSingleDocumentCommand() {}

void RunBatchCommand() {}

}  // namespace plenvo
