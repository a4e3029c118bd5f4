#include "bench/markdown/SampleReplies.h"

namespace glimmo::bench {

std::string ordinaryJournal() {
    static const char* const areas[] = {"Quarterly report", "Code review", "Sync service", "Hiring", "Design system",
                                        "Customer calls", "Release notes", "Budget"};
    static const char* const emoji[] = {"📊", "🛠", "🔄", "🤝", "🎨", "📞", "📝", "💶"};
    std::string text;
    for (int i = 0; text.size() < 8 * 1024; ++i) {
        const std::string area = areas[i % 8];
        text += "- **" + area + "** " + emoji[i % 8] + ": Worked through the **" + area + "** page in the shared " +
                "document, compared the figures with `forecast-" + std::to_string(i) + ".xlsx`, answered the thread " +
                "about the open questions and left notes on what changed since Tuesday";
        text += i % 3 == 0 ? " (see [the tracker](https://tracker.example.com/item/" + std::to_string(i) + "))." : ".";
        text += " Then read the two linked pages on *retries* and *time-outs* and wrote down what to try next.\n\n";
    }
    return text;
}

std::string plainReply(std::size_t bytes) {
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) {
        text += "Paragraph " + std::to_string(i) + ": you spent the morning in the editor on the sync service, then " +
                "answered the thread about the release and read two pages on retries.\n\n";
    }
    return text;
}

} // namespace glimmo::bench
