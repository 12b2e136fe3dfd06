#include "app/file_chooser.h"

#include "platform/window_system.h"

#include <gtk/gtk.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

std::optional<std::string> scriptedFileChoice;

namespace {

// The last successful choice of either command; the next dialog proposes it.
std::string previousChoice;

// Initialises GTK once per process. Keeps the C locale: GTK would otherwise switch
// LC_NUMERIC to the user's locale, and number parsing in model files relies on '.'.
// False when there is no display to open.
bool gtkReady() {
    static const bool ready = [] {
        gtk_disable_setlocale();
        return gtk_init_check(nullptr, nullptr) != FALSE;
    }();
    return ready;
}

// Lets GTK handle what is queued, so a destroyed dialog really leaves the screen.
void pumpGtkEvents() {
    while (gtk_events_pending())
        gtk_main_iteration();
}

// True when path names an existing file (not a folder) and fits the platform's path limit.
bool acceptablePath(const char* path) {
    struct stat info {};
    return path != nullptr && std::strlen(path) < PATH_MAX && stat(path, &info) == 0 &&
           !S_ISDIR(info.st_mode);
}

// A pattern's upper-case form: GTK's patterns match case-sensitively, and files written on
// Windows often end in ".OBJ" or ".JPG".
std::string upperCase(std::string pattern) {
    for (char& c : pattern)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return pattern;
}

// True when path can be written as a file: within the path limit and not a folder.
bool writablePath(const char* path) {
    struct stat info {};
    return path != nullptr && std::strlen(path) < PATH_MAX &&
           !(stat(path, &info) == 0 && S_ISDIR(info.st_mode));
}

// What a dialog is for: opening an existing file, or naming one to write (suggestedName in
// the folder of the previous choice, with a question before a file is replaced).
struct DialogRequest {
    FileKind kind;
    bool save = false;
    std::string suggestedName{};
};

// Builds the modal file dialog: the filters with kind's chosen, the previous choice proposed.
GtkWidget* makeDialog(const DialogRequest& request) {
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        request.save ? "Save session" : "Select input file", nullptr,
        request.save ? GTK_FILE_CHOOSER_ACTION_SAVE : GTK_FILE_CHOOSER_ACTION_OPEN, "_Cancel",
        GTK_RESPONSE_CANCEL, request.save ? "_Save" : "_Open", GTK_RESPONSE_ACCEPT, nullptr);
    GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
    const std::vector<FileFilter>& filters = filtersFor(request.kind);
    for (std::size_t i = 0; i < filters.size(); ++i) {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, filters[i].name.c_str());
        for (const std::string& pattern : filters[i].patterns) {
            gtk_file_filter_add_pattern(filter, pattern.c_str());
            if (upperCase(pattern) != pattern)
                gtk_file_filter_add_pattern(filter, upperCase(pattern).c_str());
        }
        gtk_file_chooser_add_filter(chooser, filter); // the chooser takes the reference
        if (static_cast<int>(i) == startingFilter(request.kind))
            gtk_file_chooser_set_filter(chooser, filter);
    }
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    if (request.save) {
        gtk_file_chooser_set_do_overwrite_confirmation(chooser, TRUE);
        if (!previousChoice.empty())
            gtk_file_chooser_set_current_folder(
                chooser, std::filesystem::path(previousChoice).parent_path().c_str());
        gtk_file_chooser_set_current_name(chooser, request.suggestedName.c_str());
    } else if (!previousChoice.empty()) {
        gtk_file_chooser_set_filename(chooser, previousChoice.c_str());
    }
    return dialog;
}

// Runs the dialog until the user cancels or chooses an acceptable file (an existing one to
// open, any but a folder to save), within the path limit; any other choice keeps the dialog
// open. Returns the full path, or "".
std::string runDialog(const DialogRequest& request) {
    GtkWidget* dialog = makeDialog(request);
    std::string result;
    while (result.empty() && gtk_dialog_run(GTK_DIALOG(dialog)) == GTK_RESPONSE_ACCEPT) {
        gchar* chosen = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
        if (request.save ? writablePath(chosen) : acceptablePath(chosen))
            result = chosen;
        g_free(chosen);
    }
    gtk_widget_destroy(dialog);
    pumpGtkEvents();
    return result;
}

// The working directory, or "" when it cannot be read (then it is not restored).
std::string currentDirectory() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
}

// Records a choice as the next dialog's proposal, made absolute as the dialog needs it.
void rememberChoice(const std::string& path) {
    if (path.empty())
        return;
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    previousChoice = error ? path : absolute.string();
}

// Either dialog as the user sees it, or a session script's answer in its place.
std::string chooseFile(const DialogRequest& request) {
    if (scriptedFileChoice) {
        std::string answer = *scriptedFileChoice;
        scriptedFileChoice.reset();
        rememberChoice(answer);
        return answer;
    }
    if (!gtkReady())
        return "";
    const int previousWindow = windowSystem().currentWindow();
    const std::string cwd = currentDirectory();

    const std::string result = runDialog(request);
    if (previousWindow != 0)
        windowSystem().setWindow(previousWindow);
    if (!result.empty()) {
        previousChoice = result;
        windowSystem().postRedisplay(); // the dialog covered the 3-D window
    }
    if (!cwd.empty() && chdir(cwd.c_str()) != 0)
        perror("chooseInputFile: cannot restore the working directory");
    return result;
}

} // namespace

std::string chooseInputFile(FileKind kind) {
    return chooseFile({.kind = kind});
}

std::string chooseOutputFile(FileKind kind, const std::string& suggestedName) {
    return chooseFile({.kind = kind, .save = true, .suggestedName = suggestedName});
}
