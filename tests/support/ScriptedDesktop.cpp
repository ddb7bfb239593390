#include "tests/support/ScriptedDesktop.h"

#include <gtest/gtest.h>

#include <optional>
#include <utility>

#include "platform/Desktop.h"
#include "platform/PathRules.h"

void CScriptedDesktop::AddPick(const std::string& folder, const std::vector<std::string>& names,
                               std::function<void()> afterwards) {
    m_picks.push_back({EPickOutcome::kConfirmed, folder, names, std::move(afterwards)});
}

void CScriptedDesktop::AddOutcome(EPickOutcome outcome) {
    m_picks.push_back({outcome, {}, {}, {}});
}

void CScriptedDesktop::AddAnswers(const std::vector<int>& answers) {
    for (const int answer : answers) {
        m_answers.push_back({answer, {}});
    }
}

void CScriptedDesktop::AddAnswer(int answer, std::function<void()> meanwhile) {
    m_answers.push_back({answer, std::move(meanwhile)});
}

EPickOutcome CScriptedDesktop::ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                                  std::vector<char>& selection) {
    m_requests.push_back(request);
    if (m_picks.empty()) {
        return EPickOutcome::kCancelled;
    }
    const CPick pick = m_picks.front();
    m_picks.pop_front();
    if (pick.outcome != EPickOutcome::kConfirmed) {
        return pick.outcome;
    }
    // Confirmed as every desktop confirms a pick.
    std::vector<std::string> paths;
    for (const std::string& name : pick.names) {
        paths.push_back(pick.folder + kFolderSeparator + name);
    }
    CMessageText problem("");
    const std::optional<EPickOutcome> outcome = FinishPick(paths, selection, problem);
    if (!outcome) {
        ADD_FAILURE() << "a pick no desktop would confirm: " << problem.Join();
        return EPickOutcome::kCancelled;
    }
    if (*outcome == EPickOutcome::kConfirmed && pick.afterwards) {
        pick.afterwards();
    }
    return *outcome;
}

int CScriptedDesktop::ShowMessageBox(const CMessageText& text, const std::string& caption,
                                     unsigned style) {
    m_messages.push_back({text.Join(), caption, style});
    if ((style & kMbButtonMask) != kMbYesNo) {
        return kIdOk;
    }
    if (m_answers.empty()) {
        ADD_FAILURE() << "unscripted question: " << text.Join();
        return kIdNo;
    }
    const CAnswer answer = m_answers.front();
    m_answers.pop_front();
    if (answer.meanwhile) {
        answer.meanwhile();
    }
    return answer.answer;
}

std::string CScriptedDesktop::FindAssociatedProgram(const std::string& file) {
    m_lookups.push_back(file);
    return m_associatedProgram;
}

void CScriptedDesktop::StartProgram(const std::string& program,
                                    const std::vector<std::string>& files) {
    m_starts.push_back({program, files});
}

std::vector<std::string> CScriptedDesktop::GetMessageTexts() const {
    std::vector<std::string> texts;
    for (const CMessage& message : m_messages) {
        texts.push_back(message.text);
    }
    return texts;
}
