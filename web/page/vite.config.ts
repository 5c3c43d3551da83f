// Two builds of the page: the default one writes index.html with its assets;
// `--mode single` writes tarvek.html, which holds everything (worker, engine,
// font, example populations) and so opens from disk with no server.
import { defineConfig, type Plugin } from "vite";
import { fileURLToPath } from "node:url";
import { basename, dirname, resolve } from "node:path";

const here = dirname(fileURLToPath(import.meta.url));
const root = resolve(here, "../..");
const fontDir = "/usr/share/fonts/truetype/liberation2";
// scripts/web.sh builds the engine there and passes the folder.
const engineDir = process.env.TARVEK_ENGINE_DIR ?? resolve(root, "build-web/build");

// Percent-encoded rather than base64: the worker is mostly the engine's
// base64 text already, which passes through nearly unchanged.
const dataUrl = (code: string) => `data:text/javascript;charset=utf-8,${encodeURIComponent(code)}`;

/**
 * Moves the bundle's script and style into the page and keeps only the page;
 * the worker's script goes into the page's script as a data URL.
 */
function singleFile(): Plugin {
  return {
    name: "tarvek-single-file",
    enforce: "post",
    generateBundle(_, bundle) {
      const page = bundle["index.html"];
      if (!page || page.type !== "asset") return;
      let html = String(page.source);
      const workers = Object.values(bundle).filter((item) => item.type === "asset" && item.fileName.endsWith(".js"));
      for (const worker of workers) {
        for (const item of Object.values(bundle)) {
          const reference = `"${basename(worker.fileName)}"`;
          if (item.type === "chunk") item.code = item.code.split(reference).join(`"${dataUrl(String(worker.source))}"`);
        }
        delete bundle[worker.fileName];
      }
      for (const [name, item] of Object.entries(bundle)) {
        const tag = new RegExp(`<(script|link)[^>]*(src|href)="\\./${name.replace(/[.]/g, "\\.")}"[^>]*>(</script>)?`);
        if (item.type === "chunk") {
          const code = item.code.replace(/<\/script/gi, "<\\/script");
          html = html.replace(tag, () => `<script type="module">${code}</script>`);
        } else if (name.endsWith(".css")) {
          html = html.replace(tag, () => `<style>${String(item.source)}</style>`);
        } else continue;
        delete bundle[name];
      }
      delete bundle["index.html"];
      this.emitFile({ type: "asset", fileName: "tarvek.html", source: html });
    },
  };
}

export default defineConfig(({ mode }) => {
  const single = mode === "single";
  return {
    base: "./",
    resolve: {
      alias: [
        { find: "tarvek-engine", replacement: resolve(engineDir, "tarvek-engine.js") },
        { find: "tarvek-font", replacement: fontDir },
      ],
    },
    worker: { format: "es" as const },
    plugins: single ? [singleFile()] : [],
    build: {
      outDir: process.env.TARVEK_PAGE_OUT ?? "dist",
      emptyOutDir: false,
      assetsInlineLimit: single ? () => true : undefined,
      modulePreload: single ? false : undefined,
      rollupOptions: single ? { output: { inlineDynamicImports: true } } : undefined,
    },
    server: { host: "127.0.0.1", fs: { allow: [root, engineDir, fontDir] } },
  };
});
