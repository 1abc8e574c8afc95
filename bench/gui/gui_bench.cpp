// Time from a click on "Počítej" to the handler's return for the longest routine (4 MHz,
// 50005.2455 ms: 97537 filler lines, about a million characters), with the whole text put into
// the output field by one SetValue and the caret then moved to its end (as the handler does),
// side by side with one AppendText per piece, and with the SetValue alone.
#include <algorithm>
#include <string>
#include <string_view>
#include <variant>

#include <benchmark/benchmark.h>

#include <wx/app.h>
#include <wx/image.h>
#include <wx/init.h>
#include <wx/textctrl.h>

#include "delay/compute.h"
#include "gui/kavrin_frame.h"

namespace
{
KavrinFrame* frame = nullptr;

const kavrin::ComputeInput LongestRoutine{"4", "50005.2455", "WAIT", "CNT", false};

wxTextCtrl* Field(const char* name)
{
    return dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(name, frame));
}

/// Fields as the user leaves them, output field empty, toolkit idle: the same start for
/// every click.
void PrepareClick()
{
    Field("ID_TEXTCTRL1")->SetValue(LongestRoutine.frequency);
    Field("ID_TEXTCTRL2")->SetValue(LongestRoutine.delay);
    Field("ID_TEXTCTRL5")->Clear();
    wxYield();
}

void ClickButton()
{
    wxCommandEvent click(wxEVT_BUTTON, KavrinFrame::ID_BUTTON1);
    frame->ProcessWindowEvent(click);
}

/// The handler as it would be with one AppendText per piece: the header line by SetValue,
/// then every later line (the loop block's lines, each filler line, "RETURN") appended.
void ComputeAndAppendPerPiece()
{
    const auto result = kavrin::RunComputeCommand(LongestRoutine);
    const std::string& text = std::get<kavrin::DelayRoutine>(result).text;
    wxTextCtrl* output = Field("ID_TEXTCTRL5");
    const std::string_view all(text);
    std::size_t start = all.find("\n\n") + 2;
    output->SetValue(wxString::FromUTF8(all.data(), start));
    while (start < all.size())
    {
        const std::size_t end = std::min(all.find('\n', start), all.size() - 1) + 1;
        output->AppendText(wxString::FromUTF8(all.data() + start, end - start));
        start = end;
    }
}

/// The handler's work without moving the caret: what moving it costs.
void ComputeAndSetValueOnly()
{
    const auto result = kavrin::RunComputeCommand(LongestRoutine);
    Field("ID_TEXTCTRL5")
        ->SetValue(wxString::FromUTF8(std::get<kavrin::DelayRoutine>(result).text));
}

/// Times `work` after a fresh click preparation on each iteration.
void TimeClick(benchmark::State& state, void (*work)())
{
    for (auto _ : state)
    {
        state.PauseTiming();
        PrepareClick();
        state.ResumeTiming();
        work();
    }
    state.counters["chars"] = static_cast<double>(Field("ID_TEXTCTRL5")->GetLastPosition());
}

void BM_ClickOneSetValue(benchmark::State& state)
{
    TimeClick(state, ClickButton);
}
BENCHMARK(BM_ClickOneSetValue)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

void BM_ClickAppendTextPerPiece(benchmark::State& state)
{
    TimeClick(state, ComputeAndAppendPerPiece);
}
BENCHMARK(BM_ClickAppendTextPerPiece)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_SetValueWithoutCaret(benchmark::State& state)
{
    TimeClick(state, ComputeAndSetValueOnly);
}
BENCHMARK(BM_SetValueWithoutCaret)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(10);

// For comparison: the engine alone, without the window.
void BM_EngineOnly(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(kavrin::RunComputeCommand(LongestRoutine));
}
BENCHMARK(BM_EngineOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv))
        return 1;
    wxInitAllImageHandlers();
    // The window of a first start, whatever choices the user's own runs kept.
    frame = new KavrinFrame(nullptr);
    frame->Show(true);
    wxYield();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    frame->Destroy();
    wxTheApp->ProcessIdle();
    wxEntryCleanup();
    return 0;
}
