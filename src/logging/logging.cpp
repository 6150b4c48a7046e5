#include "logging/logging.h"

namespace velmora {

Q_LOGGING_CATEGORY(lcCard, "velmora.card", QtWarningMsg)
Q_LOGGING_CATEGORY(lcFiles, "velmora.files", QtWarningMsg)
Q_LOGGING_CATEGORY(lcShutdown, "velmora.shutdown", QtWarningMsg)

} // namespace velmora
