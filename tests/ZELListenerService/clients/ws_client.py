#!/usr/bin/env python3
"""One WebSocket connection to the listener, reported line by line on standard output.

OPEN                      the handshake succeeded
HANDSHAKE-FAILED <error>  it did not
RESPONSE <json text>      a text message from the listener
CLOSE <code>              the connection ended; 1006 when no close frame came
"""
import argparse
import asyncio
import json
import sys

import websockets


async def run(args):
    headers = []
    if args.cookie_bytes:
        headers.append(("Cookie", "session=" + "c" * args.cookie_bytes))
    try:
        ws = await websockets.connect(
            f"ws://127.0.0.1:{args.port}/", extra_headers=headers, ping_interval=None,
            open_timeout=30, close_timeout=30, max_size=2 ** 20, compression=None)
    except Exception as error:  # every way of failing counts the same here
        print("HANDSHAKE-FAILED", type(error).__name__, flush=True)
        return
    print("OPEN", flush=True)
    payload = bytes.fromhex(args.hex)
    try:
        if args.ping:
            await ws.ping(b"are you there")  # the pong is not waited for
        if args.mode == "text":
            await ws.send(payload.decode("utf-8"))
        elif args.mode == "binary":
            await ws.send(payload)
        elif args.mode == "fragmented":
            text = payload.decode("utf-8")
            await ws.send([text[: len(text) // 2], text[len(text) // 2:]])
        while True:
            message = await asyncio.wait_for(ws.recv(), 60)
            print("RESPONSE", json.dumps(message), flush=True)
    except websockets.ConnectionClosed:
        pass
    await asyncio.wait_for(ws.wait_closed(), 60)
    print("CLOSE", ws.close_code, flush=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--mode", choices=["text", "binary", "fragmented"], default="text")
    parser.add_argument("--hex", default="", help="the message's bytes in hexadecimal")
    parser.add_argument("--ping", action="store_true", help="send a ping before the message")
    parser.add_argument("--cookie-bytes", type=int, default=0, help="add a Cookie header this long")
    asyncio.run(run(parser.parse_args()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
