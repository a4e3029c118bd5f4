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

std::string mixedReply(std::size_t bytes) {
    static const char* const areas[] = {"Quarterly report", "Code review", "Sync service", "Hiring", "Design system",
                                        "Customer calls", "Release notes", "Budget"};
    static const char* const emoji[] = {"📊", "🛠", "🔄", "🤝", "🎨", "📞", "📝", "💶"};
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) {
        const std::string n = std::to_string(i);
        const std::string area = areas[i % 8];
        text += "## " + std::string(emoji[i % 8]) + " " + area + " " + n + "\n\n";
        text += "Worked through the **" + area + "** page in the shared document, compared the figures with `forecast-" + n +
                ".xlsx` and answered [the thread](https://tracker.example.com/item/" + n +
                ") about the open questions. Most of the afternoon went to **reviewing** what changed since Tuesday.\n\n";
        text += "- **Figures**: checked the totals against `ledger-" + n + ".csv`\n"
                "  - revenue matched the forecast\n"
                "  - costs ran *two percent* over, mostly in:\n"
                "    1. travel\n"
                "    2. licences\n"
                "- **Notes**: left comments in [the tracker](https://tracker.example.com/notes/" + n + ")\n\n";
        text += "1. Read the two pages on *retries* and **time-outs**\n"
                "2. Wrote down what to try next:\n"
                "   - a shorter `timeout`\n"
                "   - backing off between attempts\n"
                "3. Shared the plan with the team\n\n";
        text += "> Retries without a limit turned one slow request into a storm of them; the fix caps them at **three**.\n\n";
        text += "```swift\nfunc retry" + n + "(times: Int) async throws {\n    for attempt in 0..<times {\n"
                "        try await Task.sleep(for: .seconds(attempt))\n    }\n}\n```\n\n";
        text += "| Area | Hours | Change |\n| --- | ---: | --- |\n| " + area + " | 2.5 | +0.5 |\n| Meetings | 1.0 | -0.5 |\n\n";
    }
    return text;
}

} // namespace glimmo::bench
