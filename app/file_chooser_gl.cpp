#include "app/file_chooser.h"

std::optional<std::string> scriptedFileChoice;

std::string chooseInputFile() {
    if (scriptedFileChoice) {
        std::string answer = *scriptedFileChoice;
        scriptedFileChoice.reset();
        return answer;
    }
    return "";
}
