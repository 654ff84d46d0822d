// The workbench's effect: compiling it, swapping a new version in when its files are
// saved, and putting the user's values on whichever version draws.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "PreviewScript.h"
#include "platform/d3dx9/FolderInclude.h"
#include "WorkbenchSession.h"
#include "app/globals/DisplaySettings.h"
#include "platform/d3dx9/EffectObject.h"

namespace tool {

namespace {

std::string canonical(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

// "file(12): error: ..." -> "file(12)"; the whole first line when there is no such head.
std::string whereOf(const std::string& errors, const std::string& fallback) {
    const std::size_t close = errors.find("):");
    const std::size_t end = errors.find('\n');
    if (close != std::string::npos && close < end) return errors.substr(0, close + 1);
    return fallback;
}

}  // namespace

LoadedEffect::~LoadedEffect() {
    targets.reset();
    host.reset();
    if (effect) effect->Release();
}

bool WorkbenchSession::compile(std::string& errors) {
    FolderInclude include(options_.effectPath, options_.includeFolders);
    ID3DXEffect* effect = nullptr;
    ID3DXBuffer* messages = nullptr;
    const HRESULT hr = D3DXCreateEffectFromFileA(gDevice, options_.effectPath.c_str(), macros_.data(), &include,
                                                 D3DXSHADER_DEBUG, nullptr, &effect, &messages);
    auto fresh = std::make_unique<LoadedEffect>();
    fresh->files.push_back(canonical(options_.effectPath));
    for (const std::string& f : include.opened()) fresh->files.push_back(canonical(f));
    if (FAILED(hr) || !effect) {
        errors = messages ? static_cast<const char*>(messages->GetBufferPointer())
                          : options_.effectPath + ": the effect could not be made\n";
        if (messages) messages->Release();
        // Its includes are watched too, so that mending one of them is seen.
        if (loaded_) fresh->files.insert(fresh->files.end(), loaded_->files.begin(), loaded_->files.end());
        if (!loaded_) loaded_ = std::make_unique<LoadedEffect>();
        loaded_->files = fresh->files;
        return false;
    }
    if (messages) messages->Release();
    fresh->effect = effect;
    const fx::EffectDescription& d = descriptionOf(effect);
    std::vector<std::string> report;
    fresh->targets = std::make_unique<PreviewTargets>(gDevice, options_.width, options_.height);
    fresh->targets->create(effect, d, report);
    if (drawsHostScene(d)) {
        fresh->host = std::make_unique<HostScene>();
        std::string why;
        if (!fresh->host->create(gDevice, scratch_, binder_->checker(why), scene())) fresh->host.reset();
    }
    // The technique by name, so that a reload keeps the one picked.
    const std::string wanted = loaded_ && loaded_->effect ? techniqueName() : options_.technique;
    technique_ = 0;
    for (std::size_t i = 0; i < d.techniques.size(); ++i)
        if (d.techniques[i].name == wanted) technique_ = i;
    loaded_ = std::move(fresh);
    return true;
}

std::string WorkbenchSession::techniqueName() const {
    if (!loaded_ || !loaded_->effect) return {};
    const fx::EffectDescription& d = descriptionOf(loaded_->effect);
    return technique_ < d.techniques.size() ? d.techniques[technique_].name : std::string();
}

void WorkbenchSession::watchFiles() {
    for (const std::string& file : loaded_->files) {
        const std::string folder = std::filesystem::path(file).parent_path().string();
        if (watches_.count(folder)) continue;
        auto watch = std::make_unique<FolderWatch>();
        if (watch->start(folder.empty() ? "." : folder, false)) watches_[folder] = std::move(watch);
    }
}

void WorkbenchSession::reloadChanged() {
    bool changed = false;
    double saved = 0;
    for (auto& [folder, watch] : watches_)
        for (const std::string& path : watch->changes())
            if (std::find(loaded_->files.begin(), loaded_->files.end(), canonical(path)) != loaded_->files.end()) {
                changed = true;
                saved = std::max(saved, savedAt(path));
            }
    if (!changed) return;
    std::string errors;
    if (compile(errors)) {
        savedAt_ = saved;
        if (!errors_.empty()) std::fprintf(stderr, "workbench: the error panel is closed\n");
        errors_.clear();
        std::fprintf(stderr, "workbench: reloaded %s\n", options_.effectPath.c_str());
    } else {
        std::fprintf(stderr, "workbench: %s does not compile; the last good version keeps drawing\n%s",
                     options_.effectPath.c_str(), errors.c_str());
        errors_ = {ErrorPanelEntry{whereOf(errors, options_.effectPath), "compile error", errors}};
    }
    watchFiles();
}

void WorkbenchSession::applyEdits() {
    ID3DXEffect* effect = loaded_->effect;
    const fx::EffectDescription& d = descriptionOf(effect);
    for (auto& [name, edit] : edits_) {
        const int index = d.findParameter(name);
        if (index < 0) continue;  // kept for a later version that has it again
        const fx::Parameter& p = d.parameters[static_cast<std::size_t>(index)];
        if (p.kind == fx::ValueKind::Texture && !edit.file.empty()) {
            IDirect3DTexture9*& t = images_[edit.file];
            if (!t && edit.problem.empty()) {
                // As given, else beside the effect, as its own textures are found.
                std::string path = edit.file;
                std::error_code ec;
                if (!std::filesystem::exists(path, ec))
                    path = (std::filesystem::path(options_.effectPath).parent_path() / edit.file).string();
                if (FAILED(D3DXCreateTextureFromFileA(gDevice, path.c_str(), &t))) {
                    t = nullptr;
                    edit.problem = edit.file + " is not an image this tool reads";
                }
            }
            if (t) effect->SetTexture(name.c_str(), t);
        } else if (edit.values.empty() || edit.values.size() != static_cast<std::size_t>(p.cols)) {
            continue;  // the parameter changed its type in the file
        } else if (p.kind == fx::ValueKind::Float) {
            effect->SetFloatArray(name.c_str(), edit.values.data(), static_cast<UINT>(edit.values.size()));
        } else if (p.kind == fx::ValueKind::Int) {
            effect->SetInt(name.c_str(), static_cast<INT>(edit.values[0]));
        } else if (p.kind == fx::ValueKind::Bool) {
            effect->SetBool(name.c_str(), edit.values[0] != 0);
        }
    }
}

}  // namespace tool
