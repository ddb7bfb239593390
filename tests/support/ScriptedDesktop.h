#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "platform/Desktop.h"

// A desktop whose user is a script: picks and answers are queued up front,
// everything shown is recorded. Nothing ever waits for a person.
class CScriptedDesktop : public CDesktop {
public:
    struct CMessage {
        std::string text;
        std::string caption;
        unsigned style;
    };
    struct CStart {
        std::string program;
        std::vector<std::string> files;
    };

    // A confirmed pick of `names` in `folder`; the folder becomes the working
    // folder. `afterwards` runs once the pick is confirmed, before the run
    // opens anything: what another program might do in that moment.
    void AddPick(const std::string& folder, const std::vector<std::string>& names,
                 std::function<void()> afterwards = {});
    void AddOutcome(EPickOutcome outcome);
    // Answers to Yes/No boxes, in order; a box without one fails the test.
    void AddAnswers(const std::vector<int>& answers);
    // One answer, given after `meanwhile` ran while the box was up.
    void AddAnswer(int answer, std::function<void()> meanwhile);

    EPickOutcome ShowOpenFileDialog(const COpenFileDialogRequest& request,
                                    std::vector<char>& selection) override;
    int ShowMessageBox(const CMessageText& text, const std::string& caption,
                       unsigned style) override;
    std::string FindAssociatedProgram(const std::string& file) override;
    void StartProgram(const std::string& program, const std::vector<std::string>& files) override;

    // The texts of the messages shown, in order.
    std::vector<std::string> GetMessageTexts() const;

    std::string m_associatedProgram;
    std::vector<COpenFileDialogRequest> m_requests;
    std::vector<CMessage> m_messages;
    std::vector<std::string> m_lookups;
    std::vector<CStart> m_starts;

private:
    struct CPick {
        EPickOutcome outcome;
        std::string folder;
        std::vector<std::string> names;
        std::function<void()> afterwards;
    };
    std::deque<CPick> m_picks;
    struct CAnswer {
        int answer;
        std::function<void()> meanwhile;
    };
    std::deque<CAnswer> m_answers;
};
