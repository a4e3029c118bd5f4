#include "bench/markdown/NotesDocument.h"

#include <iterator>

std::string makeNotesDocument(std::size_t bytes) {
    static const char* const words[] = {"time",  "focus", "review", "meeting", "design", "build",  "notes",
                                        "plan",  "email", "report", "draft",   "sprint", "deploy", "tests"};
    std::string text;
    text.reserve(bytes + 4096);
    for (unsigned section = 0; text.size() < bytes; ++section) {
        const std::string n = std::to_string(section);
        const std::string word = words[section % std::size(words)];
        text += "## " + n + ". The " + word + " of the day\n\n";
        for (int paragraph = 0; paragraph < 3; ++paragraph) {
            text += "Most of the morning went to *" + word + "* and **careful " + word + "**, with a look at the " +
                    "[dashboard](https://example.com/" + word + "/" + n + ") and the `" + word + "()` call. ";
            text += "Some of it was ~~wasted~~ spent reading https://www.example.org/" + n +
                    " and the notes that came\nafter it, which took longer than planned.\n\n";
        }
        text += "- " + word + " for the team\n- a second point with _emphasis_\n  - a nested point\n  - and another\n\n";
        text += "1. first step\n2. second step\n3. third step\n\n";
        text += "- [x] finished " + word + "\n- [ ] open " + word + "\n\n";
        text += "| Task | Minutes | Share |\n| :--- | :---: | ---: |\n| " + word + " | " + n + " | 12% |\n" +
                "| email | 35 | 8% |\n| review | 50 | 20% |\n\n";
        text += "> A quotation about " + word + "\n> over two lines.\n\n";
        text += "```cpp\nint minutes = " + n + ";\nreport(minutes);\n```\n\n";
        if (section % 5 == 4) text += "---\n\n";
    }
    return text;
}
