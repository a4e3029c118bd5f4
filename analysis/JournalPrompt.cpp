#include "analysis/JournalPrompt.h"

namespace glimmo {
namespace {

std::string replaceEach(std::string_view text, std::string_view pattern, std::string_view replacement) {
    std::string result;
    result.reserve(text.size());
    std::size_t position = 0;
    while (true) {
        const std::size_t found = text.find(pattern, position);
        if (found == std::string_view::npos) {
            result.append(text.substr(position));
            return result;
        }
        result.append(text.substr(position, found - position));
        result.append(replacement);
        position = found + pattern.size();
    }
}

} // namespace

// Written in the user's voice: the model is asked to keep a factual log of the day, and the worked
// example shows the level of detail wanted. The example is invented and names no real person.
const std::string_view journalPrompt =
    "Based on the activity report below, write a bulleted summary of how I spent my day. Each bullet should "
    "cover a different project or area of work. Use natural language and add relevant emojis, but never use "
    "asterisks for emphasis and never use ASCII emoticons. Use Markdown bold for the important terms. Focus on "
    "the work I accomplished and on any patterns you notice. Keep the tone professional but friendly. Describe "
    "the specific tasks I worked on and say what I was actually doing in each of them. Never mention how much "
    "time something took. If my day held many different things, list several of them, the things first. Be "
    "concise. Name the concrete pages, documents and items instead of describing them in general terms: a "
    "sentence like \"You spent some time browsing various websites and working on documents\" is exactly the "
    "kind of vague summary I do not want. I want an objective, detail-heavy log of my day, not an interpretive "
    "summary written to be pleasant to read. Follow the example below.\n"
    "\n"
    "VERY IMPORTANT FORMATTING RULES:\n"
    "1. Start each bullet point with a blank line.\n"
    "2. Start each bullet point with a dash, a space and two asterisks, so that its area name is bold.\n"
    "3. Leave two blank lines between bullet points.\n"
    "4. Format the summary exactly like this sample:\n"
    "\n"
    "- **Area Name** \xF0\x9F\x92\xBB: Description of the work\n"
    "\n"
    "\n"
    "- **Another Area** \xF0\x9F\x93\x9D: Description of the work\n"
    "\n"
    "\n"
    "- **Third Area** \xF0\x9F\x93\x9A: Description of the work\n"
    "\n"
    "Here is an example of the specific, detail-heavy descriptions I want, taken from earlier days:\n"
    "\n"
    "On Monday you opened the pull request \"Retry uploads after a dropped connection\" in the photo-sync "
    "repository, answered two review comments about the back-off constants, and rewrote the unit test "
    "\"testUploadResumesAfterTimeout\" so that it no longer sleeps. Later you read the release notes of the SQLite "
    "3.45 series, compared the JSONB functions with the ones you use in the export script, and wrote a short "
    "note titled \"Should the export move to JSONB?\" in your engineering notebook. In the afternoon you answered "
    "the thread \"Quarterly roadmap draft\" with a list of three risks (the migration window, the on-call rota and "
    "the missing load test), booked a meeting room for Thursday's planning session, and watched the conference "
    "talk \"Designing Data Pipelines That Fail Gracefully\" up to the section on idempotent writes.\n"
    "\n"
    "On Tuesday you started the morning in the spreadsheet \"Household budget 2024\", where you added the new "
    "electricity tariff, split the grocery column into two categories and fixed the formula that totals the "
    "yearly insurance. You then opened the issue tracker of the mapping library you maintain, labelled four new "
    "issues, closed the duplicate about tile caching, and asked the reporter of \"Markers flicker on zoom\" for a "
    "minimal example. Around lunch you read the article \"A Gentle Introduction to Property-Based Testing\", "
    "bookmarked its section on shrinking, and tried the first example in a scratch project. In the afternoon you "
    "drafted the blog post \"What I learned from a year of on-call\", wrote its outline with five headings, filled "
    "in the introduction and the part about alert fatigue, and left the conclusion as a list of notes. Before "
    "finishing you replied in the team chat to the question about the staging database password rotation, "
    "pointing to the runbook page \"Rotating credentials\".\n"
    "\n"
    "On Wednesday you reviewed the design document \"Offline mode for the field app\", leaving comments on the "
    "conflict-resolution section and on the size limit of the local cache. You watched two chapters of the "
    "online course \"Linear Algebra for Programmers\" (eigenvectors and the singular value decomposition) and "
    "solved the exercises of the first chapter in a notebook. You searched for the error message \"address "
    "already in use\" after the local test server failed to start, found the process that held the port, and "
    "added a cleanup step to the test script. You also ordered a replacement charger, compared three second-hand "
    "listings of the same monitor, and saved the one with the better stand to your watch list. In the evening "
    "you listened to the podcast episode \"The History of the Spreadsheet\" and wrote down the name of the book "
    "it recommended.\n"
    "\n"
    "On Thursday you ran the planning session from the notes you had prepared, turned the list of risks into "
    "three tickets in the tracker and assigned the load test to yourself. You wrote the first version of that "
    "load test with a script that replays a recorded hour of traffic, ran it against the staging environment and "
    "pasted the latency chart into the ticket. After lunch you read the documentation page \"Connection pooling\" "
    "of the database driver, changed the pool size in the configuration, and ran the load test again to compare "
    "the results. You finished the day by answering four emails: the invoice from the hosting provider, the "
    "invitation to speak at a local meetup, the question from the accountant about the home office costs, and the "
    "reminder about the library books that are due next week.\n"
    "\n"
    "Here is my activity report for the day:\n"
    "\n";

std::string journalRequestText(std::string_view reportText) {
    std::string text(journalPrompt);
    text.append(reportText);
    return text;
}

std::string spaceJournalBullets(std::string_view reply) {
    const std::string spaced = replaceEach(reply, "\n- **", "\n\n- **");
    return replaceEach(spaced, "\n\n\n", "\n\n");
}

} // namespace glimmo
