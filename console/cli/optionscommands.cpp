#include "console/cli/cli.h"

namespace fin {

QVector<TCliCommand> OptionsCommands() {
    return {};
}

}  // namespace fin
