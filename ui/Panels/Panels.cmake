# The chat views, the preferences window, the journal layout and the media digest panel.
include_guard(GLOBAL)
target_sources(ui PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ChatView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DataClearing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DockIcon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalContentView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalDayHeader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalDayStepping.cpp
  ${CMAKE_CURRENT_LIST_DIR}/JournalHighlightsView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MediaDigestView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/PreferencesView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplyMarkdown.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ReplyText.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShownReply.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimeBreakdownRow.cpp)

# How much of a reply is shown reads Markdown text only: a library of its own, which the fuzz target
# links without the views.
glimmo_library(reply_excerpt
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ReplyExcerpt.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyExcerptBlockStarts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyExcerptBlocks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyExcerptHtmlBlocks.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyExcerptLineCursor.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyExcerptTableRows.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReplyExcerptWeight.cpp)
target_link_libraries(ui PUBLIC reply_excerpt)
