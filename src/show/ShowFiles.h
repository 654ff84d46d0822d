// The data files the show loads, by the names its loading and the live preview's reload
// both use (pictures: ShowTextures.h).
#pragma once

namespace show::files {
constexpr const char* kMusic = "Tindermoot\\Pellmoor.mp3";
constexpr const char* kSync = "Tindermoot\\Rari.sync";
constexpr const char* kLoadingPicture = "Tindermoot\\loading.png";
constexpr const char* kDritEffect = "Tindermoot\\drit.fx";
constexpr const char* kImageEffect = "Tindermoot\\Image.fx";
constexpr const char* kDiscoEffect = "Tindermoot\\Disco.fx";
constexpr const char* kCylEffect = "Tindermoot\\cyl.fx";
constexpr const char* kTextEffect = "Tindermoot\\text.fx";
constexpr const char* kDancerMesh = "Tindermoot\\Dance\\Dancer.SCENEPlane01.mesh";
constexpr const char* kBoxMesh = "Tindermoot\\box\\box.SCENEBox01.mesh";
constexpr const char* kStenMesh = "Tindermoot\\st\\sten.SCENEPlane02.mesh";
constexpr const char* kFloorScene = "Tindermoot\\Floor\\Floor.SCENE.scene";
constexpr const char* kTunnelScene = "Tindermoot\\tun\\cyl.SCENE.scene";
constexpr const char* kPlanbScene = "Tindermoot\\planb\\3b.SCENE.scene";
}  // namespace show::files
